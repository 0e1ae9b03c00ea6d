// Output files that appear under their final name only when complete: each
// is written to a temporary name beside it and renamed at the end. Files
// still open when the process exits (a failure part way), or when Ctrl-C or
// SIGTERM ends it, are removed.
#pragma once

#include <cstdio>
#include <string>

struct OutputFile {
    std::string path;       // final name
    std::string temporary;  // where it is written meanwhile
    FILE* file = nullptr;
};

// Opens a temporary file beside `path`. On failure returns false with a
// message naming the path and the reason.
bool open_output(OutputFile& out, const std::string& path, std::string& error);

// For outputs that another writer creates: names the temporary file (and
// removes it at exit unless committed) without opening it.
void reserve_output(OutputFile& out, const std::string& path);

// Closes (when open) and renames into place; false (and the temporary
// removed) if any write failed.
bool commit_output(OutputFile& out, std::string& error);

// Closes and removes the temporary.
void abandon_output(OutputFile& out);

// A fresh temporary directory beside `path` for outputs that are folders,
// renamed into place by commit_output_directory.
bool open_output_directory(OutputFile& out, const std::string& path, std::string& error);
bool commit_output_directory(OutputFile& out, std::string& error);
