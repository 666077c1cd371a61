// The one kind of failure the host reports: a sentence for the user. main()
// prints it and exits with status 2; nothing has been written by then.
#pragma once

#include <stdexcept>
#include <string>

class HostError : public std::runtime_error {
public:
    explicit HostError(const std::string& message) : std::runtime_error(message) {}
};
