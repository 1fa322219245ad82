#include "platform/notifyarea/notify_icon_data.h"

#include <bit>
#include <cstring>

namespace ov::notifyarea {

static_assert(std::endian::native == std::endian::little, "the record is laid out little-endian");

std::array<std::uint8_t, kNotifyIconDataSize> RecordBytes(const NotifyIconDataA& record) {
    std::array<std::uint8_t, kNotifyIconDataSize> bytes;
    std::memcpy(bytes.data(), &record, bytes.size());
    return bytes;
}

}  // namespace ov::notifyarea
