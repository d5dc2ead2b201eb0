#include "app/program_arguments.h"

#include "data/constants.h"

namespace chimewell {

std::optional<int> AnswerCommandLine(const std::vector<std::string>& arguments, std::ostream& out) {
    for (const std::string& argument : arguments) {
        if (argument == "--help" || argument == "-h") {
            out << "用法：chimewell [--help] [--version]\n\n"
                << ProductName
                << "：按公历或农历提醒，住在通知区域里。程序不带参数启动；已经在运行时，再次启动会显示它的主窗口。\n"
                << "提醒保存在 ~/.local/share/chimewell/（设置了 $XDG_DATA_HOME 时在其中的 chimewell/），"
                << "程序所在的文件夹里有 reminddata.sdt 或 config.ini 时就在那里。\n"
                << "命令行工具：chimewell-cli --help；说明：man chimewell。\n\n"
                << "  -h, --help     显示这段说明并退出\n"
                << "      --version  显示版本并退出\n";
            return 0;
        }
        if (argument == "--version" || argument == "-V") {
            out << "chimewell " << ProgramVersion << " (" << ProductName << ")\n";
            return 0;
        }
    }
    return std::nullopt;
}

} // namespace chimewell
