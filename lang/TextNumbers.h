// Text numbers: the decimal placeholders the dialog templates carry as captions and the numbers the
// code looks up itself. The wording lives only in the language files.
#pragma once

#include <cstdint>

namespace pathwright::text {

// About box
inline constexpr uint32_t kAboutTitle = 1000;
inline constexpr uint32_t kAboutHeading = 1001;
inline constexpr uint32_t kAboutCredits = 1002;
inline constexpr uint32_t kAboutWindowingCredit = 1003;  // the link to the windowing library's home page
inline constexpr uint32_t kAboutXmlCredit = 1004;        // the link to the XML library's home page
inline constexpr uint32_t kAboutVersion = 1005;          // format with one %s: the version, "1.2.3"
inline constexpr uint32_t kAboutCopyright = 1006;
// Main window
inline constexpr uint32_t kMainTitle = 2000;
inline constexpr uint32_t kMainSheetLabel = 2001;
inline constexpr uint32_t kMainHeading = 2002;
inline constexpr uint32_t kMainSelectSheet = 2003;
inline constexpr uint32_t kMainEditList = 2004;
inline constexpr uint32_t kMainPlatformLabel = 2005;
inline constexpr uint32_t kMainEnvOption = 2006;
inline constexpr uint32_t kMainSheetFilter = 2007;  // the file dialog's name for "*.props" files
// The labels of the seven rows, in the order of the directory kinds
inline constexpr uint32_t kMainRowExecutable = 2010;
inline constexpr uint32_t kMainRowInclude = 2011;
inline constexpr uint32_t kMainRowReference = 2012;
inline constexpr uint32_t kMainRowLibrary = 2013;
inline constexpr uint32_t kMainRowWinRT = 2014;
inline constexpr uint32_t kMainRowSource = 2015;
inline constexpr uint32_t kMainRowExclude = 2016;
inline constexpr uint32_t kMainLanguageLabel = 2100;
inline constexpr uint32_t kMainPlatformPresent = 2101;  // format with one %s: a platform whose sheet exists
inline constexpr uint32_t kMainNoSheet = 2102;          // in the heading's place while no sheet is open
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
// The list editor's columns, its "New" line, the words of its status column and its typed-entry messages
inline constexpr uint32_t kListNewEntry = 3100;
inline constexpr uint32_t kListColumnEntry = 3101;
inline constexpr uint32_t kListColumnStatus = 3102;
inline constexpr uint32_t kListStatusFound = 3103;
inline constexpr uint32_t kListStatusMissing = 3104;
inline constexpr uint32_t kListStatusPercent = 3105;
inline constexpr uint32_t kListStatusUnresolved = 3106;
inline constexpr uint32_t kListStatusProject = 3107;
inline constexpr uint32_t kListStatusDuplicate = 3108;
inline constexpr uint32_t kListStatusInvalid = 3109;
inline constexpr uint32_t kListStatusTimeout = 3110;
inline constexpr uint32_t kListStatusChecking = 3111;
inline constexpr uint32_t kListExpanded = 3112;         // format with one %s: the selected entry expanded
// Where an entry in force that is not the user's own is written, and a list no path property uses;
// each formats one %s: a property's name, or $(Name) for the inherited value
inline constexpr uint32_t kListWrittenIn = 3113;
inline constexpr uint32_t kListOtherDefinition = 3114;
inline constexpr uint32_t kListInherited = 3115;
inline constexpr uint32_t kListUnused = 3116;
inline constexpr uint32_t kListStatusIde = 3117;  // a value Visual Studio sets itself: not checked
inline constexpr uint32_t kListSemicolonTyped = 6100;
inline constexpr uint32_t kListForbiddenTyped = 6101;  // format with one %s: the character's code
// The names of the seven directory kinds, in their order, for running text: kListLabel's %s, messages
// and the names screen readers give the list buttons
inline constexpr uint32_t kKindExecutable = 3010;
inline constexpr uint32_t kKindInclude = 3011;
inline constexpr uint32_t kKindReference = 3012;
inline constexpr uint32_t kKindLibrary = 3013;
inline constexpr uint32_t kKindWinRT = 3014;
inline constexpr uint32_t kKindSource = 3015;
inline constexpr uint32_t kKindExclude = 3016;
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
// Main window messages
inline constexpr uint32_t kCreateSheetQuestion = 6000;  // format with one %s: the missing sheet's path
inline constexpr uint32_t kSheetGoneCaption = 6001;
inline constexpr uint32_t kSheetGoneText = 6002;  // format with one %s: the sheet's path
// The version chooser for a sheet that is no sheet: the file, the reason, where the old file is kept
inline constexpr uint32_t kNotASheetText = 6003;     // format with one %s: the sheet's path
inline constexpr uint32_t kKeptAsText = 6004;        // format with one %s: the backup's path
inline constexpr uint32_t kChooseVersionText = 6005;
inline constexpr uint32_t kRestoreNewest = 6006;  // the chooser's entry for the newest format
inline constexpr uint32_t kSavedAsUtf8Text = 6007;  // format with one %s: the sheet's path
inline constexpr uint32_t kLanguageNotAFile = 6008;  // format with one %s: the language file's path
// Why a file is no sheet, after the unreadable message or in the version chooser; "%s" in order
inline constexpr uint32_t kReasonEmpty = 6020;
inline constexpr uint32_t kReasonNoElement = 6021;
inline constexpr uint32_t kReasonUnknownEncoding = 6022;
inline constexpr uint32_t kReasonDeclaredEncoding = 6023;  // the encoding's name
inline constexpr uint32_t kReasonNotAscii = 6024;          // the byte offset, the encoding's name
inline constexpr uint32_t kReasonInvalidUtf8 = 6025;       // the byte offset
inline constexpr uint32_t kReasonInvalidUtf16 = 6026;      // the byte offset
inline constexpr uint32_t kReasonInvalidUtf32 = 6027;      // the byte offset
inline constexpr uint32_t kReasonBadStartTag = 6028;       // the line
inline constexpr uint32_t kReasonBadEndTag = 6029;         // the line
inline constexpr uint32_t kReasonBadAttribute = 6030;      // the line
inline constexpr uint32_t kReasonBadMarkup = 6031;         // the line
inline constexpr uint32_t kReasonUnexpectedEnd = 6032;
inline constexpr uint32_t kReasonNotWellFormed = 6033;     // the line
inline constexpr uint32_t kReasonDeclarationEnd = 6034;
inline constexpr uint32_t kReasonSecondElement = 6035;     // the element's name
inline constexpr uint32_t kReasonTextBefore = 6036;
inline constexpr uint32_t kReasonTextAfter = 6037;
inline constexpr uint32_t kReasonDuplicateAttribute = 6038;  // the element's name, the attribute's name
inline constexpr uint32_t kReasonNotAProject = 6039;
inline constexpr uint32_t kReasonTooDeep = 6040;           // the levels allowed
inline constexpr uint32_t kReasonTooLarge = 6041;          // the file's size, the limit (bytes)
// Buttons every dialog has
inline constexpr uint32_t kButtonOk = 5000;
inline constexpr uint32_t kButtonCancel = 5001;
inline constexpr uint32_t kButtonYes = 5002;  // a question's buttons
inline constexpr uint32_t kButtonNo = 5003;

// By directory kind (the index of model/DirectoryKinds.h)
inline constexpr uint32_t kMainRowLabels[] = {kMainRowExecutable, kMainRowInclude, kMainRowReference, kMainRowLibrary,
                                              kMainRowWinRT,      kMainRowSource,  kMainRowExclude};
inline constexpr uint32_t kKindNames[] = {kKindExecutable, kKindInclude, kKindReference, kKindLibrary,
                                          kKindWinRT,      kKindSource,  kKindExclude};

// Every number above: each shipped language file has a text for each of them.
inline constexpr uint32_t kAll[] = {
    kAboutTitle,
    kAboutHeading,
    kAboutCredits,
    kAboutWindowingCredit,
    kAboutXmlCredit,
    kAboutVersion,
    kAboutCopyright,
    kMainTitle,
    kMainSheetLabel,
    kMainHeading,
    kMainSelectSheet,
    kMainEditList,
    kMainPlatformLabel,
    kMainEnvOption,
    kMainSheetFilter,
    kMainRowExecutable,
    kMainRowInclude,
    kMainRowReference,
    kMainRowLibrary,
    kMainRowWinRT,
    kMainRowSource,
    kMainRowExclude,
    kMainLanguageLabel,
    kMainPlatformPresent,
    kMainNoSheet,
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
    kListNewEntry,
    kListColumnEntry,
    kListColumnStatus,
    kListStatusFound,
    kListStatusMissing,
    kListStatusPercent,
    kListStatusUnresolved,
    kListStatusProject,
    kListStatusDuplicate,
    kListStatusInvalid,
    kListStatusTimeout,
    kListStatusChecking,
    kListExpanded,
    kListWrittenIn,
    kListOtherDefinition,
    kListInherited,
    kListUnused,
    kListStatusIde,
    kListSemicolonTyped,
    kListForbiddenTyped,
    kKindExecutable,
    kKindInclude,
    kKindReference,
    kKindLibrary,
    kKindWinRT,
    kKindSource,
    kKindExclude,
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
    kButtonOk,
    kButtonCancel,
    kButtonYes,
    kButtonNo,
    kCreateSheetQuestion,
    kSheetGoneCaption,
    kSheetGoneText,
    kNotASheetText,
    kKeptAsText,
    kChooseVersionText,
    kRestoreNewest,
    kSavedAsUtf8Text,
    kLanguageNotAFile,
    kReasonEmpty,
    kReasonNoElement,
    kReasonUnknownEncoding,
    kReasonDeclaredEncoding,
    kReasonNotAscii,
    kReasonInvalidUtf8,
    kReasonInvalidUtf16,
    kReasonInvalidUtf32,
    kReasonBadStartTag,
    kReasonBadEndTag,
    kReasonBadAttribute,
    kReasonBadMarkup,
    kReasonUnexpectedEnd,
    kReasonNotWellFormed,
    kReasonDeclarationEnd,
    kReasonSecondElement,
    kReasonTextBefore,
    kReasonTextAfter,
    kReasonDuplicateAttribute,
    kReasonNotAProject,
    kReasonTooDeep,
    kReasonTooLarge,
};

}  // namespace pathwright::text
