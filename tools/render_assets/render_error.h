#pragma once

#include <stdexcept>
#include <string>

// Any problem with an asset ends the tool with this message, so the build stops on it.
class RenderError : public std::runtime_error {
public:
    explicit RenderError(const std::string &message)
        : std::runtime_error(message) {}
};
