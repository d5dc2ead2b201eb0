#include "system/about.h"

#include "data/constants.h"

namespace chimewell {

std::array<TAboutRow, 8> AboutRows() {
    return {{
        {"edtSoftName", "软件名：", std::string(ProductName)},
        {"edtSoftOrgName", "原    名：", "晴铃 / Chimewell"},
        {"edtSoftVersion", "版    本：", std::string(ProgramVersion)},
        {"edtSoftPropt", "软件性质：", "免费软件"},
        {"edtSoftAuthor", "作    者：", std::string(StudioName)},
        {"edtSoftEmail", "E - Mail：", "没有电子邮箱，报告问题请看帮助“如何报告问题”"},
        {"edtSoftCorp", "开   发：", std::string(StudioName)},
        {"edtSoftURL", "网   址：", "没有网站，请看帮助“关于晴铃提醒”"},
    }};
}

std::string AboutNote() {
    return "本程序用于记事提醒！\n"
           "如果你发现了错误，或有不方便的地方，请按帮助文档“如何报告问题”一节的办法告诉我们，谢谢你的帮助！";
}

std::string AboutAppend() {
    return std::string(CompletionDate) + " 完成于" + std::string(StudioName);
}

} // namespace chimewell
