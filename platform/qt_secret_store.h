#pragma once
// The desktop's secret store behind the seam: the Secret Service over D-Bus (GNOME Keyring, KWallet, KeePassXC …).

namespace chimewell {

// Installs the desktop's store; no fallback to a plain file: without a store the password is simply not kept.
void InstallDesktopSecretStore();

} // namespace chimewell
