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

bool LoadSkinFile(const std::string& skinsFolder, const std::string& name, std::string* why) {
    const std::optional<std::string> styleSheet = ReadSkin(skinsFolder, name, why);
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

std::string ApplySkinSetting(const std::string& skinsFolder, const std::string& skinFileName) {
    std::string why;
    if (skinFileName.empty()) {
        SwitchSkinning(false);
    } else if (LoadSkinFile(skinsFolder, skinFileName, &why)) {
        SwitchSkinning(true);
    }
    return why;
}

} // namespace chimewell
