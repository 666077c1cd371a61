// An output file that appears whole or not at all: data goes to a temporary
// file beside the target, which is renamed over the target only on commit.
// Dropped without commit, the temporary file is removed and the target is
// left as it was.
#pragma once

#include <string>

class AtomicOutput {
public:
    explicit AtomicOutput(const std::string& target);  // throws HostError when the folder is not writable
    ~AtomicOutput();
    AtomicOutput(const AtomicOutput&) = delete;  // owns the temporary file
    AtomicOutput& operator=(const AtomicOutput&) = delete;

    int descriptor() const { return fd; }
    const std::string& temporaryPath() const { return temporary; }
    // Flushes and renames the temporary file onto the target.
    void commit();

private:
    std::string target;
    std::string temporary;
    int fd = -1;
    bool committed = false;
};
