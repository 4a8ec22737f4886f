#include "platform/posix/cabinet/file_stamps.h"

#include "platform/kernel.h"

namespace vantrel {
namespace {

std::optional<time_t> LocalTimeOf(WORD date, WORD time) {
    FILETIME ignored;
    if (!DosDateTimeToFileTime(date, time, &ignored)) {
        return std::nullopt;
    }
    std::tm fields{};
    fields.tm_year = 80 + (date >> 9);
    fields.tm_mon = ((date >> 5) & 0x0F) - 1;
    fields.tm_mday = date & 0x1F;
    fields.tm_hour = time >> 11;
    fields.tm_min = (time >> 5) & 0x3F;
    fields.tm_sec = (time & 0x1F) * 2;
    fields.tm_isdst = -1;
    const time_t moment = std::mktime(&fields);
    return moment == static_cast<time_t>(-1) ? std::nullopt : std::optional<time_t>(moment);
}

}  // namespace

WORD DosDateOf(const mscabd_file& file) {
    return static_cast<WORD>(((file.date_y - 1980) & 0x7F) << 9 | (file.date_m & 0x0F) << 5 |
                             (file.date_d & 0x1F));
}

WORD DosTimeOf(const mscabd_file& file) {
    return static_cast<WORD>((file.time_h & 0x1F) << 11 | (file.time_m & 0x3F) << 5 |
                             (file.time_s & 0x3F) >> 1);
}

std::optional<time_t> FileStamps::ModificationTimeOf(const mscabd_file& file) {
    const WORD date = DosDateOf(file);
    const WORD time = DosTimeOf(file);
    const std::uint32_t stamp = static_cast<std::uint32_t>(date) << 16 | time;
    if (!last_ || last_->first != stamp) {
        last_.emplace(stamp, LocalTimeOf(date, time));
    }
    return last_->second;
}

}  // namespace vantrel
