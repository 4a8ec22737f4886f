#include "shared/runtime_error.h"

#include "shared/raised_error.h"

namespace vantrel::RuntimeError {
namespace {

struct Entry {
    std::int32_t Number;
    const char* Text;
};

constexpr Entry kTexts[] = {
    {OutOfMemory, "Out of memory"},
    {SubscriptOutOfRange, "Subscript out of range"},
    {InternalError, "Internal error"},
    {BadFileName, "Bad file name or number"},
    {DeviceUnavailable, "Device unavailable"},
    {PathFileAccessError, "Path/File access error"},
    {PathNotFound, "Path not found"},
    {InvalidPropertyValue, "Invalid property value"},
    {IndexOutOfBounds, "Index out of bounds"},
    {ElementNotFound, "Element not found"},
};

}  // namespace

std::string Text(std::int32_t number) {
    for (const auto& entry : kTexts) {
        if (entry.Number == number) {
            return entry.Text;
        }
    }
    return "Application-defined or object-defined error";
}

void Raise(std::int32_t number, const char* source) {
    throw RaisedError(number, source, Text(number));
}

}  // namespace vantrel::RuntimeError
