#pragma once
// Images of resource-only modules, kept mapped after their last FreeLibrary as a loader keeps
// a library's image cached: loading one again that was freed recently costs no new mapping.
// Only the mapping is kept; the module itself (its record, references and handle) goes.
// Such an image is mapped from a private copy of its file, so that a file rewritten in place
// never changes a mapping that is still in use or kept.
#include <sys/types.h>
#include <time.h>

#include <string>

namespace standin::modules {

/// What tells one file's contents from another's at the same path.
struct ImageFile {
    dev_t device = 0;
    ino_t inode = 0;
    off_t size = 0;
    timespec modified{};
};

struct ResourceImage {
    std::string path;  // the canonical path of the file it was copied from
    ImageFile file;    // that file when it was copied
    void* dl = nullptr;
    int copy = -1;     // the private copy, open while the image is mapped (its name is unique)
};

/// When the file at canonicalPath carries nothing but a resource table (no export besides the
/// table's, so no entry point and no code a caller could reach): its image, the kept one when
/// the file has not changed since, else mapped anew. False for any other file, and when the
/// image cannot be made (the caller loads the file as it is).
bool OpenResourceImage(const std::string& canonicalPath, ResourceImage* image);

/// Keeps the image of a freed module for the next load; the oldest kept image beyond a few is
/// unmapped.
void KeepImage(ResourceImage image);

}  // namespace standin::modules
