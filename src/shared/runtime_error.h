#pragma once

// The runtime's own error numbers, with the texts it reports them with. Every part of the
// program that raises one of these takes the number and the text from here.

#include <cstdint>
#include <string>

namespace vantrel::RuntimeError {

inline constexpr std::int32_t OutOfMemory = 7;
inline constexpr std::int32_t SubscriptOutOfRange = 9;
inline constexpr std::int32_t InternalError = 51;
inline constexpr std::int32_t BadFileName = 52;
inline constexpr std::int32_t DeviceUnavailable = 68;
inline constexpr std::int32_t PathFileAccessError = 75;
inline constexpr std::int32_t PathNotFound = 76;
inline constexpr std::int32_t InvalidPropertyValue = 380;
inline constexpr std::int32_t IndexOutOfBounds = 35600;
inline constexpr std::int32_t ElementNotFound = 35601;

// The Source of the errors the runtime raises itself (controls, the list view, the program's
// folder).
inline constexpr const char* Source = "Vantrel";

// "Path not found" for 76, and so on; "Application-defined or object-defined error" for a number
// the runtime does not know.
std::string Text(std::int32_t number);

// Throws RaisedError with `number`, `source` and the number's text.
[[noreturn]] void Raise(std::int32_t number, const char* source = Source);

}  // namespace vantrel::RuntimeError
