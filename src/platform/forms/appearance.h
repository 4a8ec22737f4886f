#pragma once

// Colours and fonts as the forms keep them, whatever shows them.

#include <cstdint>
#include <string>

namespace vantrel {

// Red, green and blue in the low three bytes; or, with the top bit set, the number of a system
// colour, which the window system decides from the user's scheme.
class Color {
  public:
    static constexpr Color Rgb(std::uint8_t red, std::uint8_t green, std::uint8_t blue) {
        return Color(red | (green << 8) | (blue << 16));
    }
    static constexpr Color System(std::uint8_t index) { return Color(kSystemBit | index); }

    constexpr bool IsSystem() const { return (value_ & kSystemBit) != 0; }
    constexpr std::uint8_t SystemIndex() const { return value_ & 0xFF; }
    constexpr std::uint8_t Red() const { return value_ & 0xFF; }
    constexpr std::uint8_t Green() const { return (value_ >> 8) & 0xFF; }
    constexpr std::uint8_t Blue() const { return (value_ >> 16) & 0xFF; }
    constexpr std::uint32_t Value() const { return value_; }
    constexpr bool operator==(const Color&) const = default;

  private:
    static constexpr std::uint32_t kSystemBit = 0x80000000u;
    constexpr explicit Color(std::uint32_t value) : value_(value) {}

    std::uint32_t value_;
};

// The system colours the windows use, by their numbers in the system's colour table.
inline constexpr Color kButtonFace = Color::System(15);
inline constexpr Color kButtonText = Color::System(18);

struct StdFont {
    std::string Name;
    float Size = 8;  // points
    bool Bold = false;
    bool Italic = false;
    bool operator==(const StdFont&) const = default;
};

}  // namespace vantrel
