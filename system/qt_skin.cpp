#include "system/qt_skin.h"

#include "system/skin.h"

#include <QApplication>

namespace chimewell {

namespace {
struct SkinState {
    QString StyleSheet;
    bool On = false;
};

SkinState& State() {
    static SkinState state;
    return state;
}
} // namespace

bool LoadSkinFile(const std::string& skinsFolder, const std::string& name) {
    const std::optional<std::string> styleSheet = ReadSkin(skinsFolder, name);
    if (!styleSheet) {
        return false;
    }
    State().StyleSheet = QString::fromStdString(*styleSheet);
    if (State().On) {
        qApp->setStyleSheet(State().StyleSheet);
    }
    return true;
}

void SwitchSkinning(bool on) {
    if (State().On == on) {
        return;
    }
    State().On = on;
    qApp->setStyleSheet(on ? State().StyleSheet : QString());
}

bool SkinningOn() {
    return State().On;
}

void ApplySkinSetting(const std::string& skinsFolder, const std::string& skinFileName) {
    if (skinFileName.empty()) {
        SwitchSkinning(false);
    } else if (LoadSkinFile(skinsFolder, skinFileName)) {
        SwitchSkinning(true);
    }
}

} // namespace chimewell
