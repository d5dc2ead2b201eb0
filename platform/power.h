#pragma once
// Switching the computer off or restarting it through the login manager on the system bus, with the system
// manager's command as a fallback for systems where the bus call fails.

#include <QDBusMessage>
#include <QStringList>

namespace chimewell {

enum class PowerRequest { PowerOff, Reboot };

// The login manager's method call for a request. It asks interactively, so that where the system wants a
// password the desktop can ask for one.
QDBusMessage LogindPowerCall(PowerRequest request);

// The arguments of the "systemctl" fallback for a request.
QStringList SystemctlPowerArguments(PowerRequest request);

// Sends the request without waiting for it; when the bus is unreachable or refuses, runs the fallback.
// True when a request went out; the system shutting down is the only sign of success.
bool RequestPower(PowerRequest request);

} // namespace chimewell
