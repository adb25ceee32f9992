// Text numbers: the decimal placeholders the dialog templates carry as captions and the numbers the
// code looks up itself. The wording lives only in the language files.
#pragma once

#include <cstdint>

namespace pathwright::text {

// About box
inline constexpr uint32_t kAboutTitle = 1000;
inline constexpr uint32_t kAboutHeading = 1001;
inline constexpr uint32_t kAboutCredits = 1002;
// Main window
inline constexpr uint32_t kMainTitle = 2000;
inline constexpr uint32_t kMainSheetLabel = 2001;
inline constexpr uint32_t kMainHeading = 2002;
inline constexpr uint32_t kMainSelectSheet = 2003;
inline constexpr uint32_t kMainEditList = 2004;
inline constexpr uint32_t kMainPlatformLabel = 2005;
inline constexpr uint32_t kMainEnvOption = 2006;
// List editor
inline constexpr uint32_t kListTitle = 3000;
inline constexpr uint32_t kListLabel = 3001;  // format with one %s: the directory kind's title
inline constexpr uint32_t kListAdd = 3002;
inline constexpr uint32_t kListChange = 3003;
inline constexpr uint32_t kListDelete = 3004;
inline constexpr uint32_t kListBrowseAdd = 3005;
inline constexpr uint32_t kListBrowseChange = 3006;
inline constexpr uint32_t kListClear = 3007;
inline constexpr uint32_t kListNotFound = 3008;       // drawn after an entry whose folder does not exist
inline constexpr uint32_t kListSemicolonText = 3009;  // format with one %s: the picked folder
// Version chooser and message boxes
inline constexpr uint32_t kRestoreTitle = 4000;
inline constexpr uint32_t kRestorePrompt = 4001;
inline constexpr uint32_t kMissingSheetCaption = 4002;
inline constexpr uint32_t kMissingSheetText = 4003;  // format with one %s: the sheet's file name
inline constexpr uint32_t kSaveFailedCaption = 4004;
inline constexpr uint32_t kSaveFailedText = 4005;        // format with one %s: the sheet's path
inline constexpr uint32_t kRestorePromptMissing = 4006;  // the chooser's prompt after kMissingSheetText
inline constexpr uint32_t kUnreadableCaption = 4007;
inline constexpr uint32_t kUnreadableText = 4008;  // format with one %s: the sheet's path
inline constexpr uint32_t kNothingToSaveText = 4009;
inline constexpr uint32_t kForbiddenCharacterText = 4010;  // format with one %s: the row and the character
inline constexpr uint32_t kLanguageFailedCaption = 4011;
inline constexpr uint32_t kLanguageFailedText = 4012;  // format with one %s: the language's name
inline constexpr uint32_t kSettingsFailedText = 4013;  // format with one %s: the settings file's path

// Every number above: each shipped language file has a text for each of them.
inline constexpr uint32_t kAll[] = {
    kAboutTitle,
    kAboutHeading,
    kAboutCredits,
    kMainTitle,
    kMainSheetLabel,
    kMainHeading,
    kMainSelectSheet,
    kMainEditList,
    kMainPlatformLabel,
    kMainEnvOption,
    kListTitle,
    kListLabel,
    kListAdd,
    kListChange,
    kListDelete,
    kListBrowseAdd,
    kListBrowseChange,
    kListClear,
    kListNotFound,
    kListSemicolonText,
    kRestoreTitle,
    kRestorePrompt,
    kMissingSheetCaption,
    kMissingSheetText,
    kSaveFailedCaption,
    kSaveFailedText,
    kRestorePromptMissing,
    kUnreadableCaption,
    kUnreadableText,
    kNothingToSaveText,
    kForbiddenCharacterText,
    kLanguageFailedCaption,
    kLanguageFailedText,
    kSettingsFailedText,
};

}  // namespace pathwright::text
