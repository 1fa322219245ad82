#pragma once
// The notification-icon record in its 488-byte single-byte form (the one with the balloon
// fields) and the constants of the notification-area call: what a program hands to
// Shell_NotifyIconA. Handles are 32 bits, as everywhere in this platform.
#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace ov::notifyarea {

// Messages of Shell_NotifyIconA.
inline constexpr std::uint32_t kNimAdd = 0;
inline constexpr std::uint32_t kNimModify = 1;
inline constexpr std::uint32_t kNimDelete = 2;

// Which fields of the record a call applies.
inline constexpr std::uint32_t kNifMessage = 1;
inline constexpr std::uint32_t kNifIcon = 2;
inline constexpr std::uint32_t kNifTip = 4;
inline constexpr std::uint32_t kNifInfo = 16;

// The mouse messages a callback carries in place of the x coordinate, and the balloon ones.
inline constexpr std::uint32_t kWmMouseMove = 0x200;
inline constexpr std::uint32_t kWmLButtonDown = 0x201;
inline constexpr std::uint32_t kWmLButtonUp = 0x202;
inline constexpr std::uint32_t kWmLButtonDblClk = 0x203;
inline constexpr std::uint32_t kWmRButtonDown = 0x204;
inline constexpr std::uint32_t kWmRButtonUp = 0x205;
inline constexpr std::uint32_t kWmRButtonDblClk = 0x206;
inline constexpr std::uint32_t kWmMButtonDown = 0x207;
inline constexpr std::uint32_t kWmMButtonUp = 0x208;
inline constexpr std::uint32_t kWmMButtonDblClk = 0x209;
inline constexpr std::uint32_t kNinBalloonShow = 0x402;
inline constexpr std::uint32_t kNinBalloonHide = 0x403;
inline constexpr std::uint32_t kNinBalloonTimeout = 0x404;
inline constexpr std::uint32_t kNinBalloonUserClick = 0x405;

// Balloon flags (the record's info flags): the icon, and no sound.
inline constexpr std::uint32_t kNiifNone = 0;
inline constexpr std::uint32_t kNiifInfo = 1;
inline constexpr std::uint32_t kNiifWarning = 2;
inline constexpr std::uint32_t kNiifError = 3;
inline constexpr std::uint32_t kNiifNoSound = 16;
inline constexpr std::uint32_t kNiifIconMask = 15;

// Field by field as the platform lays it out, little-endian, no padding.
struct NotifyIconDataA {
    static constexpr std::size_t kTipChars = 128;
    static constexpr std::size_t kInfoChars = 256;
    static constexpr std::size_t kInfoTitleChars = 64;

    std::uint32_t size = 0;
    std::uint32_t window = 0;
    std::uint32_t id = 0;
    std::uint32_t flags = 0;
    std::uint32_t callback_message = 0;
    std::uint32_t icon = 0;
    char tip[kTipChars] = {};
    std::uint32_t state = 0;
    std::uint32_t state_mask = 0;
    char info[kInfoChars] = {};
    std::uint32_t timeout_or_version = 0;
    char info_title[kInfoTitleChars] = {};
    std::uint32_t info_flags = 0;
};

inline constexpr std::size_t kNotifyIconDataSize = 488;
static_assert(sizeof(NotifyIconDataA) == kNotifyIconDataSize);
static_assert(offsetof(NotifyIconDataA, tip) == 24 && offsetof(NotifyIconDataA, info) == 160 &&
              offsetof(NotifyIconDataA, timeout_or_version) == 416 && offsetof(NotifyIconDataA, info_flags) == 484);

// Fills a character field: `text` cut to leave room for the terminating NUL, the rest zero.
template <std::size_t N>
void SetTextField(char (&field)[N], std::string_view text) {
    const std::size_t kept = text.size() < N - 1 ? text.size() : N - 1;
    for (std::size_t i = 0; i < N; ++i) field[i] = i < kept ? text[i] : '\0';
}

// A character field up to its first NUL (or the whole field if it holds none).
template <std::size_t N>
std::string TextField(const char (&field)[N]) {
    std::size_t length = 0;
    while (length < N && field[length] != '\0') ++length;
    return std::string(field, length);
}

// The record as the bytes the call receives.
std::array<std::uint8_t, kNotifyIconDataSize> RecordBytes(const NotifyIconDataA& record);

}  // namespace ov::notifyarea
