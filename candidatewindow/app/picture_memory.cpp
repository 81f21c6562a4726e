#include "candidatewindow/app/picture_memory.h"

#include <malloc.h>

namespace kepcandidatewindow {

namespace {

// Far above a picture of the largest window, far below what would matter to the system.
constexpr int kMappedAbove = 16 * 1024 * 1024;
constexpr int kTrimAbove = 32 * 1024 * 1024;

}  // namespace

void keepPictureMemory() {
  mallopt(M_MMAP_THRESHOLD, kMappedAbove);
  mallopt(M_TRIM_THRESHOLD, kTrimAbove);
}

}  // namespace kepcandidatewindow
