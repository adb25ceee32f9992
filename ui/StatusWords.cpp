#include "ui/StatusWords.h"

#include "lang/TextNumbers.h"

namespace pathwright {

StatusShown ShownFor(EntryStatus status) {
  switch (status) {
    case EntryStatus::kOk: return {text::kListStatusFound, kIconNone};
    case EntryStatus::kMissing: return {text::kListStatusMissing, kIconProblem};
    case EntryStatus::kPercent: return {text::kListStatusPercent, kIconWarning};
    case EntryStatus::kUnresolved: return {text::kListStatusUnresolved, kIconProblem};
    case EntryStatus::kProject: return {text::kListStatusProject, kIconNote};
    case EntryStatus::kIde: return {text::kListStatusIde, kIconNote};  // not checked: Visual Studio knows it
    case EntryStatus::kUnused: return {text::kListStatusFound, kIconNone};  // said of the whole list, above it
    case EntryStatus::kDuplicate: return {text::kListStatusDuplicate, kIconWarning};
    case EntryStatus::kInvalid: return {text::kListStatusInvalid, kIconProblem};
    case EntryStatus::kTimeout: return {text::kListStatusTimeout, kIconNote};
  }
  return {text::kListStatusFound, kIconNone};
}

}  // namespace pathwright
