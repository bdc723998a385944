// The engine's options: fixed values read through one getter each. Nothing
// changes them, so every run uses the defaults.
#pragma once

const char* GetImageNameOption();  // "unknown"
const char* GetLogPathOption();    // empty: no error log
int GetShowErrorOption();          // 0
int GetPostErrorOption();          // 0
int GetUseOldReferencesOption();   // 1: "fssOLD" and "nhOLD"
int GetNoteheadClass2Option();     // 0
int GetNoteheadModel4Option();     // 1
int GetNoteheadModels5to7Option(); // 0
int GetBeamWidthOption();          // 0
int GetPageDescriptionOption();    // 0
int GetTextFinderOptionA();        // 1
int GetTextFinderOptionB();        // 1
const char* GetLanguageOption();   // "English"
int GetTextStaffRuleA();           // 0
int GetTextStaffRuleB();           // 0
// 1 when text reading may answer the character (code page byte), else 0.
int IsCharacterEnabled(unsigned char c);
