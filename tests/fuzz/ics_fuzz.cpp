// Any bytes as a calendar file to import: the reading must neither crash nor make reminders the data file
// cannot hold, nor take longer than a bound; and a calendar written from what was read must read back to the
// same reminders.

#include "exchange/ical_file.h"

#include "calendar/datetime.h"

#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    chimewell::TIcsImportOptions options;
    options.Now = chimewell::EncodeDateTime(2026, 12, 9, 10, 0);
    const auto started = std::chrono::steady_clock::now();
    const chimewell::TIcsImportFile file = chimewell::ReadIcsText(bytes, "fuzz.ics", options);
    // However dense or long its recurrences, a file is read within a bound: in steps of the iterator, and in
    // time. Under the sanitizers, on a loaded machine, the costliest files within the steps took 0.22 ms a byte
    // (300 rules of every minute of one hour in February, 37 KB: 8 s, nearly all in libical) and 3 us a step (rules
    // of every second on Mondays since 1900 until the file's 2,000,000 steps are spent: 6 s). The bound allows
    // 0.3 ms a byte and 4 us a step; anything slower is a search that escaped the bounds.
    const auto bound =
        std::chrono::milliseconds(2000 + static_cast<long long>(size * 3 / 10) + file.ExpansionSteps / 250);
    if (file.ExpansionSteps > 2'500'000 || std::chrono::steady_clock::now() - started > bound) {
        std::abort();
    }
    for (const chimewell::TExchangeItem& item : file.Items) {
        for (const std::string* text : {&item.Music, &item.Command, &item.Message, &item.Uid}) {
            if (text->find_first_of("\r\n") != std::string::npos) {
                std::abort();
            }
        }
    }
    if (file.Items.empty() || file.Items.size() > 50) {
        return 0;
    }
    chimewell::TIcsExportOptions exportOptions;
    exportOptions.From = options.Now;
    exportOptions.Years = 1;
    exportOptions.TimeZone = "Asia/Shanghai";
    chimewell::TIcsImportFile again =
        chimewell::ReadIcsText(chimewell::IcsFileBytes(file.Items, exportOptions), "again.ics", options);
    if (again.Items.size() != file.Items.size()) {
        std::abort();
    }
    // A reminder without a UID is written with a new one.
    for (std::size_t k = 0; k < file.Items.size(); ++k) {
        if (file.Items[k].Uid.empty()) {
            again.Items[k].Uid.clear();
        }
    }
    if (again.Items != file.Items) {
        std::abort();
    }
    return 0;
}
