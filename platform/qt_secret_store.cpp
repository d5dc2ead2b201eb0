#include "platform/qt_secret_store.h"

#include "platform/secret_store.h"

#include <qt6keychain/keychain.h>

#include <QObject>
#include <QString>

namespace chimewell {

namespace {

const QString ServiceName = QStringLiteral("chimewell");

std::string FailureOf(const QKeychain::Job& job) {
    return "密钥环无法使用（" + job.errorString().toStdString() + "）。";
}

} // namespace

void InstallDesktopSecretStore() {
    SecretStore store;
    store.Read = [](const std::string& name, auto done) {
        auto* job = new QKeychain::ReadPasswordJob(ServiceName);
        job->setAutoDelete(true);
        job->setInsecureFallback(false);
        job->setKey(QString::fromStdString(name));
        QObject::connect(job, &QKeychain::Job::finished, [done](QKeychain::Job* finished) {
            const auto* read = static_cast<QKeychain::ReadPasswordJob*>(finished);
            if (read->error() == QKeychain::NoError) {
                done(read->textData().toStdString(), std::string());
            } else if (read->error() == QKeychain::EntryNotFound) {
                done(std::nullopt, std::string());
            } else {
                done(std::nullopt, FailureOf(*read));
            }
        });
        job->start();
    };
    store.Write = [](const std::string& name, const std::string& secret, auto done) {
        auto* job = new QKeychain::WritePasswordJob(ServiceName);
        job->setAutoDelete(true);
        job->setInsecureFallback(false);
        job->setKey(QString::fromStdString(name));
        job->setTextData(QString::fromStdString(secret));
        QObject::connect(job, &QKeychain::Job::finished, [done](QKeychain::Job* finished) {
            done(finished->error() == QKeychain::NoError ? std::string() : FailureOf(*finished));
        });
        job->start();
    };
    store.Remove = [](const std::string& name, auto done) {
        auto* job = new QKeychain::DeletePasswordJob(ServiceName);
        job->setAutoDelete(true);
        job->setInsecureFallback(false);
        job->setKey(QString::fromStdString(name));
        QObject::connect(job, &QKeychain::Job::finished, [done](QKeychain::Job* finished) {
            const bool fine = finished->error() == QKeychain::NoError || finished->error() == QKeychain::EntryNotFound;
            done(fine ? std::string() : FailureOf(*finished));
        });
        job->start();
    };
    InstallSecretStore(std::move(store));
}

} // namespace chimewell
