#include "scan/deletionrequest.h"

#include "foundation/prompts.h"

namespace roomvale {

namespace {
DeletionReviewOpener& opener() {
  static DeletionReviewOpener slot;
  return slot;
}
}  // namespace

void setDeletionReviewOpener(DeletionReviewOpener o) { opener() = std::move(o); }

bool hasDeletionReviewOpener() { return static_cast<bool>(opener()); }

bool openDeletionReview(QWidget* owner, const DeletionRequest& request) {
  if (!opener()) {
    // Only a program built without the review gets here; nothing is deleted.
    showError(QStringLiteral("The deletion review is missing from this program."));
    return false;
  }
  return opener()(owner, request);
}

}  // namespace roomvale
