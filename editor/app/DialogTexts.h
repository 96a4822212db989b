// The texts of the editor's dialogs that language files can replace: each
// dialog's caption ("IDD<template>_Title") and its static and button texts
// ("IDD<template>_<control>"). The dialogs take their built-in texts from here.
#pragma once

#include <string>
#include <vector>

namespace lumavox {

struct DialogControlText {
    int controlId;
    std::string text;
};

struct DialogTexts {
    int templateId;
    std::string title;
    std::vector<DialogControlText> controls;
};

constexpr int kLanguageDialog = 181;
constexpr int kControlOk = 1;
constexpr int kControlCancel = 2;

// The composing dialogs: the Insert menu and File Manage (templates 500-599).
// Their labels and buttons use control ids from kComposeControl up.
enum ComposeDialog : int {
    kInsertGraphicDialog = 500,
    kInsertWindowDialog,
    kInsertDateTimeDialog,
    kInsertMoveDialog,
    kInsertRowSpaceDialog,
    kInsertSpeedDialog,
    kInsertPauseDialog,
    kInsertBeepDialog,
    kInsertTemperatureDialog,
    kInsertIncludeDialog,
    kInsertCounterDialog,
    kCounterDateDialog,
    kCharacterSheetDialog,  // the sheet holding the two pages below
    kGraphicManageDialog = kCharacterSheetDialog + 2,
    kGraphicInfoDialog,
    kWindowFileManageDialog,
    kWindowFileNameDialog,
    kAddTextFileDialog,
    kSwitchTextFileDialog,
    kRemoveTextFileDialog,
    kRenameFileDialog,
    kWindowFileCallDialog,
};
constexpr int kComposeControl = 1000;
// The pages of the character sheet: their captions are the tab captions.
constexpr int kNormalCharsPage = 172;
constexpr int kEuropeanCharsPage = 31001;
// "Please set window property": the name of preset layout t (1-8) is control
// kLayoutNameControl + t - 1.
constexpr int kLayoutNameControl = kComposeControl + 7;

const std::vector<DialogTexts>& builtInDialogTexts();

}  // namespace lumavox
