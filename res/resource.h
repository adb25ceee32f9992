// Resource and control ids shared by the .rc file, the dialogs and the tests.
// Several dialogs reuse the same numbers (1000, 1001, 57708...) for different controls, so each id
// carries its dialog in its name and no code ever writes a bare number.
#pragma once

// Resources
#define IDD_ABOUT 100
#define IDD_MAIN 129
#define IDD_PATHLIST 132
#define IDD_RESTORE 143
#define IDI_PATHWRIGHT 129
#define IDB_BANNER 137
#define IDB_ARROW_UP 139
#define IDB_ARROW_DOWN 141
// The same pictures at 150 and 200 percent, for screens with more dots per inch
#define IDB_BANNER_150 144
#define IDB_BANNER_200 145
#define IDB_ARROW_UP_150 146
#define IDB_ARROW_UP_200 147
#define IDB_ARROW_DOWN_150 148
#define IDB_ARROW_DOWN_200 149
#define IDR_MANIFEST 1

// Main window (template 129)
#define IDC_MAIN_PLATFORM 1000
#define IDC_MAIN_LANGUAGE 1001
#define IDC_MAIN_ENV_OPTION 40001
#define IDC_MAIN_ABOUT 57664
#define IDC_MAIN_HEADING 57692
#define IDC_MAIN_SHEET_PATH 57693
#define IDC_MAIN_SELECT_SHEET 57694
#define IDC_MAIN_FIRST_EDIT 57695  // 57695..57701, one per directory kind
#define IDC_MAIN_LAST_EDIT 57701
#define IDC_MAIN_FIRST_BUTTON 57702  // 57702..57708, one per directory kind
#define IDC_MAIN_LAST_BUTTON 57708
#define IDC_MAIN_FIRST_MARK 57720  // 57720..57726: the problem icon of each row
#define IDC_MAIN_LAST_MARK 57726
#define IDC_MAIN_SHEET_LABEL 57730
#define IDC_MAIN_PLATFORM_LABEL 57731
#define IDC_MAIN_LANGUAGE_LABEL 57732
#define IDC_MAIN_RULE 57733

// Version chooser (template 143)
#define IDC_RESTORE_VERSION 1001
#define IDC_RESTORE_PROMPT 1002

// Directory list editor (template 132)
#define IDC_LIST_LABEL 1000
#define IDC_LIST_CHANGE 1001
#define IDC_LIST_ADD 57709
#define IDC_LIST_DELETE 57710
#define IDC_LIST_CLEAR 57711
#define IDC_LIST_UP 57712
#define IDC_LIST_DOWN 57713
#define IDC_LIST_BOX 57714
#define IDC_LIST_EXPANDED 57715
#define IDC_LIST_RULE 57716
#define IDC_LIST_NOTE 57717  // above the list: the list is not in force

// About box (template 100)
#define IDC_ABOUT_WTL_LINK 1000
#define IDC_ABOUT_XML_LINK 1003
#define IDC_ABOUT_VERSION 1004
#define IDC_ABOUT_TITLE 57708
#define IDC_ABOUT_AUTHOR 57709
#define IDC_ABOUT_BANNER 57714

#ifndef IDC_STATIC
#define IDC_STATIC (-1)
#endif
