// Ids of the program's resources: menus, commands, accelerators, dialogs and
// their controls, bitmaps and icons. Included by the resource script and by
// C++, so it holds nothing but #defines.
#pragma once

// Menus and the accelerator table.
#define IDR_MENU_NO_DOCUMENT 102
#define IDR_MENU_SCORE 103
#define IDR_MENU_PAGE 104
#define IDR_ACCELERATORS 130

// Commands: File.
#define IDM_FILE_OPEN 40017
#define IDM_FILE_OPEN_PDFS 42271
#define IDM_FILE_CLOSE 40039
#define IDM_FILE_SAVE 42002
#define IDM_FILE_SAVE_AS 40011
#define IDM_FILE_SEND_TO_CADENZOR 42068
#define IDM_FILE_SEND_TO_R8 42069
#define IDM_FILE_SCANNER_SETUP 40016
#define IDM_FILE_SCAN_PAGES 40014
#define IDM_FILE_SCAN_ONE_PAGE 42048
#define IDM_FILE_PREFERENCES 42088
#define IDM_FILE_EXIT 40012
#define IDM_FILE_PRINT 57607

// Recent files: at most five items in a File menu, ids up to 55009 accepted.
#define IDM_RECENT_FILE_FIRST 55000
#define IDM_RECENT_FILE_MENU_LAST 55004
#define IDM_RECENT_FILE_LAST 55009

// Commands: Edit.
#define IDM_EDIT_UNDO 57643
#define IDM_EDIT_REDO 57644
#define IDM_EDIT_CUT 57635
#define IDM_EDIT_COPY 57634
#define IDM_EDIT_PASTE 57637
#define IDM_EDIT_DELETE 42012
#define IDM_EDIT_SELECT_ALL 42013
#define IDM_EDIT_DESELECT_ALL 42014
#define IDM_EDIT_DELETE_PAGE 40034
#define IDM_EDIT_TURN_UPSIDE_DOWN 42009
#define IDM_EDIT_TURN_CLOCKWISE 42275
#define IDM_EDIT_TURN_ANTICLOCKWISE 42026
#define IDM_EDIT_LOCATE_STAVES 42276
#define IDM_EDIT_RESCAN_PAGE 42007

// Commands: View and its Zoom submenu.
#define IDM_VIEW_TOGGLE_PAGES_PANE 40013
#define IDM_VIEW_KEYPAD 42010
#define IDM_VIEW_FULL_DETAIL 42011
#define IDM_VIEW_BAD_TIMING 40083
#define IDM_VIEW_VOICE_COLORS 40082
#define IDM_VIEW_ATTACHMENT 42018
#define IDM_VIEW_SHADED_MUSIC 42061
#define IDM_VIEW_PERFORMANCE_MODE 42230
#define IDM_ZOOM_TO_FIT 42082
#define IDM_ZOOM_50 42083
#define IDM_ZOOM_100 42084
#define IDM_ZOOM_200 42085
#define IDM_ZOOM_IN 42075
#define IDM_ZOOM_OUT 42074
#define IDM_PAGE_ZOOM_DIALOG 40036

// Commands: Notes.
#define IDM_NOTES_MOVE_UP_STAFF 42254
#define IDM_NOTES_MOVE_DOWN_STAFF 42255
#define IDM_NOTES_HIDE_SHOW_RESTS 42256
#define IDM_NOTES_GUITAR_TAB_RHYTHM 42089

// Commands: Create.
#define IDM_CREATE_BAR_REST_ONE 40046
#define IDM_CREATE_MULTIREST 40047
#define IDM_CREATE_KEY_BY_NUMBER 40050
#define IDM_CREATE_MAJOR_KEY_FIRST 40051  // Cb major
#define IDM_CREATE_MAJOR_KEY_LAST 40065   // C# major
#define IDM_CREATE_MINOR_KEY_FIRST 40066  // Ab minor
#define IDM_CREATE_MINOR_KEY_LAST 40080   // A# minor
#define IDM_CREATE_TIME_SIGNATURE 40081

// Owner-drawn popups of the Create menu; an item's data is its index.
#define IDM_BARLINE_FIRST 52000
#define IDM_BARLINE_LAST 52006
#define IDM_BARLINE_RANGE_END 52099
#define IDM_CLEF_FIRST 53000
#define IDM_CLEF_LAST 53014
#define IDM_CLEF_COMMAND_LAST 53016
#define IDM_CLEF_RANGE_END 53099
#define IDM_SYMBOL_FIRST 54000
#define IDM_SYMBOL_LAST 54008
#define IDM_SYMBOL_RANGE_END 54099
#define BARLINE_POPUP_COUNT 7
#define CLEF_POPUP_COUNT 15
#define SYMBOL_POPUP_COUNT 9

// Commands: Play.
#define IDM_PLAY_STOP 42028
#define IDM_STOP_PLAYBACK 42244

// Commands: Read.
#define IDM_READ_PLACE_AT_END 42003
#define IDM_READ_PLACE_BEFORE 40087
#define IDM_READ_PLACE_AFTER 40088
#define IDM_READ_REPLACE 40089

// Commands: Window.
#define IDM_WINDOW_CASCADE 40028
#define IDM_WINDOW_TILE_HORIZONTALLY 40004
#define IDM_WINDOW_TILE_VERTICALLY 40005
#define IDM_WINDOW_CLOSE_ALL 40006
#define IDM_WINDOW_TRANSLUCENT_KEYPAD 461

// Commands: Help.
#define IDM_HELP_HELP 42005
#define IDM_HELP_SCANNING_TIPS 42064
#define IDM_HELP_HANDWRITING_TIPS 42274
#define IDM_HELP_WEB_SITE 42045
#define IDM_HELP_ABOUT 40002

// Toolbar-only commands that no handler serves (kept disabled).
#define IDM_TRANSPOSE 42072
#define IDM_DELETE_SCORE 40035

// Child window ids and timer ids of the frame.
#define IDC_MDI_FIRST_CHILD 50000
#define IDC_STATUS_BAR 60000
#define ID_TIMER_READ_NEXT_PAGE 32779

// Dialogs.
#define IDD_ABOUT 110
#define IDD_PREFERENCES 122
#define IDD_PAGE_ZOOM 192
#define IDD_KEY_BY_NUMBER 239
#define IDD_TIME_SIGNATURE 240
#define IDD_MULTIREST 242
#define IDD_STARTUP_NOTICE 290
#define IDD_BLACK_AND_WHITE_NOTICE 315
#define IDD_COLOUR_DEPTH_WARNING 320
#define IDD_DISPLAY_DRIVER_WARNING 341
#define IDD_SAVE_AS_TEMPLATE 344
#define IDD_PROGRESS 1105
#define IDD_RHYTHM_WARNING 345
#define IDD_HANDWRITING_NOTICE 1282
#define IDD_MUSIC_PAPER_NOTICE 1283
#define IDD_PAGES_SAVED_NOTICE 321
#define IDD_STAVE_POSITIONS_NOTICE 1139
#define IDD_ACCURACY_NOTICE 1140

// Dialog controls.
#define IDC_STARTUP_CONTINUE 1102
#define IDC_SHOW_NEXT_TIME 1106
#define IDC_OPTIMIZE_FOR_PLAYBACK 1144
#define IDC_PAGE_ZOOM_EDIT 1027
#define IDC_PAGE_ZOOM_SCROLL 1073
#define IDC_PAGE_ZOOM_25 1028
#define IDC_PAGE_ZOOM_50 1029
#define IDC_PAGE_ZOOM_100 1030
#define IDC_PAGE_ZOOM_FIT 1031
#define IDC_PAGE_ZOOM_PREVIOUS 1032
#define IDC_PAGE_ZOOM_APPLY 1033
#define IDC_ABOUT_VERSION 1034
// The progress window's bar, its process line and its Esc hint.
#define IDC_PROGRESS_BAR 1104
#define IDC_PROGRESS_TEXT 1105
#define IDC_PROGRESS_ESC_HINT 1106
// The rhythm warning's texts, its page list, its check box and its buttons.
#define IDC_RHYTHM_TEXT 1148
#define IDC_RHYTHM_ADVICE 1149
#define IDC_RHYTHM_PAGES_LABEL 1150
#define IDC_RHYTHM_QUESTION 1151
#define IDC_RHYTHM_PAGES 1147
#define IDC_RHYTHM_SHOW_NEXT_TIME 1146
#define IDC_RHYTHM_YES 1145
#define IDC_RHYTHM_NO 1114
// The handwriting notice's tips button and the paper notice's folder button.
#define IDC_HANDWRITING_TIPS 1152
#define IDC_OPEN_STAVE_PAPER 1153
// The scanning tips buttons of the stave positions and accuracy notices.
#define IDC_STAVE_POSITIONS_TIPS 1215
#define IDC_ACCURACY_TIPS 1173

// Bitmaps.
#define IDB_CLEFS 264         // 17 images, 23 pixels wide
#define IDB_BARLINES 265      // 7 images, 25 pixels wide
#define IDB_TOOLBAR_A 200     // 18 pixels per image
#define IDB_TOOLBAR_B 201     // 18 pixels per image
#define IDB_SYMBOLS 266       // 9 images, 25 pixels wide: the symbol menu without a music font
#define IDB_PANE_MARKS 267    // 7 images, 12 pixels wide: the pages pane's tick, group and choice boxes
#define IDB_KEYPAD_TAB_FIRST 256  // 256-260: the keypad's layout tabs, 3 images of 20 (normal, marked, pressed)
#define IDB_KEYPAD_KEYS 261   // the keypad's keys, 19 pixels per image, image n for keypad code n
#define IDB_KEYPAD_KEYS_SMALL 262  // the same, 16 pixels per image, for the disabled slots
#define IDB_SPLASH 457        // 473 x 384, 24 bits
#define IDB_SPLASH_PALETTE 250  // the splash for displays below 16 bits
#define CLEF_IMAGE_WIDTH 23
#define CLEF_IMAGE_COUNT 17
#define BARLINE_IMAGE_WIDTH 25
#define BARLINE_IMAGE_COUNT 7
#define SYMBOL_IMAGE_WIDTH 25
#define SYMBOL_IMAGE_COUNT 9
#define TOOLBAR_IMAGE_WIDTH 18
#define SPLASH_WIDTH 473
#define SPLASH_HEIGHT 384

// Icons.
#define IDI_PROGRAM 101
#define IDI_PROGRAM_SMALL 168
#define IDI_SCORE 190
#define IDI_SCORE_SMALL 175
#define IDI_PAGE 191

// The Preferences dialog (122), its four pages (301-304) and the text
// recognition options behind "Advanced..." (305). Two pages hold controls
// of the same id (1064, 1071): the pages address them apart.
#define IDD_PREFS_SCANNING 301
#define IDD_PREFS_READING 302
#define IDD_PREFS_EDITING 303
#define IDD_PREFS_ADVANCED 304
#define IDD_TEXT_RECOGNITION 305
#define IDC_PREFS_OK 1002
#define IDC_PREFS_CANCEL 1009
#define IDC_PREFS_TABS 1107
#define IDC_PREF_DRAG_BY_DRAGGING 1022
#define IDC_PREF_DRAG_BY_SHIFT 1023
#define IDC_PREF_SKIN_CADENZOR 1024
#define IDC_PREF_SKIN_R8 1025
#define IDC_PREF_KEYPAD_KORVALINDE 1026
#define IDC_PREF_KEYPAD_CADENZOR 1027
#define IDC_PREF_ARTICULATIONS 1048
#define IDC_PREF_CHORD_DIAGRAMS 1049
#define IDC_PREF_ATTACH_SCAN 1052
#define IDC_PREF_ANTI_ALIASED 1053
#define IDC_PREF_PAGE_MARGINS 1054
#define IDC_PREF_SLURS 1060
#define IDC_PREF_TEXT 1061
#define IDC_PREF_ADVANCED 1062
#define IDC_PREF_MAKE_LEVEL 1064
#define IDC_PREF_HANDWRITTEN 1064
#define IDC_PREF_ONE_VOICE 1065
#define IDC_PREF_APPOGGIATURAS 1066
#define IDC_PREF_TUPLETS 1067
#define IDC_PREF_HANDWRITTEN_BEAMS 1068
#define IDC_PREF_NARROW_STROKES 1069
#define IDC_PREF_QUICK_PREFS 1070
#define IDC_PREF_READ_AFTER_SCAN 1071
#define IDC_PREF_TRANSPOSING 1071
#define IDC_PREF_PROMPT_BEFORE_SCAN 1089
#define IDC_PREF_SCAN_QUICKLY 1090
#define IDC_PREF_SPLASH 1119
#define IDC_PREF_AUTOMATIC_SCANNING 1228
#define IDC_PREF_OWN_SCANNING 1229
#define IDC_PREF_TWAIN_SCANNING 1230
#define IDC_PREF_PROMPT_NOTE 1231
#define IDC_PREF_SCANNER 1233
#define IDC_PREF_SELECT_TWAIN 1234
#define IDC_PREF_QUICK_SCAN_NOTE 1235
#define IDC_PREF_PLAYBACK_PROPERTIES 1242
#define IDC_PREF_AUTO_SAVE_PERIOD 1244
#define IDC_PREF_PLAYBACK_DEVICE 1277
// The text recognition options: one box a kind of text, in the order of the
// reading's text-classification switches.
#define IDC_TEXT_TYPE_FIRST 1290  // 1290-1296: title, composer, lyricist, copyright, lyrics, chord symbols, fingering
#define TEXT_TYPE_COUNT 7

// The scan-resolution question (131) and the PDF password (1142).
#define IDD_SCAN_RESOLUTION 131
#define IDC_RESOLUTION_400 1011
#define IDC_RESOLUTION_300 1012
#define IDC_RESOLUTION_200 1013
#define IDC_RESOLUTION_VALUE 1014
#define IDC_RESOLUTION_OTHER 1015
#define IDC_RESOLUTION_OK 1016
#define IDD_PDF_PASSWORD 1142
#define IDC_PDF_PASSWORD 1237
