// What a finder hands to the deletion review: the marked files, their total size and the
// finder's tag (used in archive names). The review lives above the finders' libraries, so it
// registers itself here and the finders reach it through openDeletionReview().
#pragma once

#include <QString>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "platform/markedfile.h"

class QWidget;

namespace roomvale {

struct DeletionRequest {
  std::vector<std::string> paths;  // full paths, native bytes, in marking order
  std::uint64_t totalBytes = 0;
  QString sourceTag;  // "TempClean", "Duplicates", "FileDates", ...
  // What each file was when it was listed or marked, in the order of `paths`; the review
  // takes it itself for files without one (a shorter list, or unknown identities).
  std::vector<platform::FileIdentity> identities;
};

// Runs the review modally over `owner`; returns true when the user completed it (OK),
// false when it was cancelled.
using DeletionReviewOpener = std::function<bool(QWidget* owner, const DeletionRequest& request)>;

// Installs the review (an empty function removes it).
void setDeletionReviewOpener(DeletionReviewOpener opener);
bool hasDeletionReviewOpener();

// Opens the installed review. Without one, tells the user it is not available and answers
// false, so the finder stays open with its marks.
bool openDeletionReview(QWidget* owner, const DeletionRequest& request);

}  // namespace roomvale
