#pragma once

#include <cstdint>
#include <exception>
#include <string>

namespace vantrel {

// A failure carried to the caller, in the shape the installer's error handlers expect: a number,
// the procedure it was last raised from, and an English description.
class RaisedError : public std::exception {
  public:
    RaisedError(std::int32_t number, std::string source, std::string description)
        : Number(number), Source(std::move(source)), Description(std::move(description)) {}

    // The same error raised again from another procedure: number and description unchanged.
    RaisedError WithSource(std::string source) const {
        return {Number, std::move(source), Description};
    }

    const char* what() const noexcept override { return Description.c_str(); }

    std::int32_t Number;
    std::string Source;
    std::string Description;
};

}  // namespace vantrel
