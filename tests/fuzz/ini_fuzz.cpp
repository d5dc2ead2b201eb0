// Any bytes as an INI file: reading every kind of value, writing, and reading back what was written. A save
// must keep what it was not asked to change, and what it was asked to write must read back.

#include "data/code_page.h"
#include "data/ini_file.h"
#include "data/reminder_list.h"

#include <cstdint>
#include <cstdlib>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    chimewell::TIniFile ini("/nonexistent/fuzz.ini", bytes);
    for (const char* section : {"Main", "Item1", "Config", ""}) {
        for (const char* key : {"Items", "Message", "Year", "Day", "x"}) {
            ini.ReadString(section, key, "default");
            ini.ReadInteger(section, key, -1);
            ini.ReadBool(section, key, true);
        }
    }
    const chimewell::TRmMainDate record = chimewell::ReadReminder(ini, "Item1");
    record.Describe(chimewell::DescribeOptions::All());
    chimewell::StoredItemCount(ini);

    const std::string unchanged = ini.ToBytes();
    ini.WriteString("Item1", "Message", "写入的提醒 €");
    ini.WriteInteger("Main", "Items", 7);
    const chimewell::TIniFile written("/nonexistent/fuzz.ini", ini.ToBytes());
    if (written.ReadString("Item1", "Message", "") != "写入的提醒 €" || written.ReadInteger("Main", "Items", 0) != 7) {
        std::abort();
    }
    // Nothing written: a save gives back what a save of the same file gives back.
    const chimewell::TIniFile again("/nonexistent/fuzz.ini", unchanged);
    if (again.ToBytes() != unchanged) {
        std::abort();
    }
    chimewell::EncodeFileText(chimewell::DecodeFileText(bytes));
    return 0;
}
