// The window program draws every page into pictures of a few hundred kilobytes and frees them
// again, at typing speed. The allocator maps memory of that size afresh, and gives back the top
// of its heap, on every page: the page faults cost more than drawing. Tells it to keep such
// memory instead (a few megabytes at most). Called once, before the first page.
#pragma once

namespace kepcandidatewindow {

void keepPictureMemory();

}  // namespace kepcandidatewindow
