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
    kNormalCharsDialog,
    kEuropeanCharsDialog,
    kGraphicManageDialog,
    kGraphicInfoDialog,
    kWindowFileManageDialog,
    kWindowFileNameDialog,
    kAddTextFileDialog,
    kSwitchTextFileDialog,
    kRemoveTextFileDialog,
    kRenameFileDialog,
};
constexpr int kComposeControl = 1000;

const std::vector<DialogTexts>& builtInDialogTexts();

}  // namespace lumavox
