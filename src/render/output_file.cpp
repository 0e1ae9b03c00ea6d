#include "render/output_file.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <vector>

#include "cli/interrupt_cleanup.h"

namespace {

// Temporaries not yet committed; removed at exit so that a run ended by a
// fatal error leaves nothing half-written behind, and by the signal handler
// (cli/interrupt_cleanup.h) when Ctrl-C ends it.
std::vector<std::string>& pending_outputs() {
    static std::vector<std::string> pending;
    return pending;
}

void remove_pending_outputs() {
    std::error_code ignored;
    for (const std::string& path : pending_outputs()) std::filesystem::remove_all(path, ignored);
    pending_outputs().clear();
}

void track(const std::string& temporary) {
    static bool registered = false;
    if (!registered) {
        std::atexit(remove_pending_outputs);
        registered = true;
    }
    pending_outputs().push_back(temporary);
    interrupt_cleanup_add(temporary.c_str());
}

void untrack(const std::string& temporary) {
    interrupt_cleanup_forget(temporary.c_str());
    auto& pending = pending_outputs();
    for (size_t i = 0; i < pending.size(); ++i) {
        if (pending[i] == temporary) {
            pending.erase(pending.begin() + static_cast<long>(i));
            return;
        }
    }
}

std::string temporary_beside(const std::string& path) {
    return path + ".part" + std::to_string(static_cast<long>(getpid()));
}

std::string describe(const std::string& path, int error_number) {
    return path + ": " + std::strerror(error_number);
}

}  // namespace

bool open_output(OutputFile& out, const std::string& path, std::string& error) {
    out.path = path;
    out.temporary = temporary_beside(path);
    out.file = std::fopen(out.temporary.c_str(), "wb");
    if (out.file == nullptr) {
        error = describe(path, errno);
        return false;
    }
    track(out.temporary);
    return true;
}

void reserve_output(OutputFile& out, const std::string& path) {
    out.path = path;
    out.temporary = temporary_beside(path);
    out.file = nullptr;
    track(out.temporary);
}

bool commit_output(OutputFile& out, std::string& error) {
    // Writers that create their own files may make them private; the
    // finished output gets the modes any new file of ours would have.
    const mode_t mask = umask(0);
    umask(mask);
    chmod(out.temporary.c_str(), 0666 & ~mask);
    bool written = true;
    bool closed = true;
    int write_errno = 0;
    if (out.file != nullptr) {
        written = std::ferror(out.file) == 0;
        write_errno = errno;
        closed = std::fclose(out.file) == 0;
        out.file = nullptr;
    }
    if (!written || !closed) {
        error = describe(out.path, written ? errno : write_errno);
        std::remove(out.temporary.c_str());
        untrack(out.temporary);
        return false;
    }
    if (std::rename(out.temporary.c_str(), out.path.c_str()) != 0) {
        error = describe(out.path, errno);
        std::remove(out.temporary.c_str());
        untrack(out.temporary);
        return false;
    }
    untrack(out.temporary);
    return true;
}

void abandon_output(OutputFile& out) {
    if (out.file != nullptr) std::fclose(out.file);
    out.file = nullptr;
    std::error_code ignored;
    std::filesystem::remove_all(out.temporary, ignored);
    untrack(out.temporary);
}

bool open_output_directory(OutputFile& out, const std::string& path, std::string& error) {
    out.path = path;
    out.temporary = temporary_beside(path);
    std::error_code failure;
    std::filesystem::create_directory(out.temporary, failure);
    if (failure) {
        error = path + ": " + failure.message();
        return false;
    }
    track(out.temporary);
    return true;
}

bool commit_output_directory(OutputFile& out, std::string& error) {
    std::error_code failure;
    if (!std::filesystem::exists(out.path, failure)) {
        std::filesystem::rename(out.temporary, out.path, failure);
    } else {
        // An existing folder keeps whatever else it holds; our files join it.
        for (const auto& entry : std::filesystem::directory_iterator(out.temporary, failure)) {
            std::filesystem::rename(
                entry.path(), std::filesystem::path(out.path) / entry.path().filename(), failure);
            if (failure) break;
        }
        if (!failure) std::filesystem::remove(out.temporary, failure);
    }
    if (failure) {
        error = out.path + ": " + failure.message();
        abandon_output(out);
        return false;
    }
    untrack(out.temporary);
    return true;
}
