#pragma once

#include <QString>

#include "output/CollectionSummary.h"
#include "output/qt/CSummaryDlg.h"

class Platform;
class QDialog;
class QWidget;

// The summary dialog lives in a plug-in of its own, loaded when the summary is first opened,
// so that the charts library it draws with is not loaded at every start of the program.
// The plug-in exports one function under kSummaryDialogEntry, of type SummaryDialogEntry; the
// program and the plug-in are built together, so the types may cross between them.

// What the dialog is made from; the same as CSummaryDlg's constructor takes.
struct SummaryDialogRequest {
    CollectionSummary summary;
    QString pageTitle;
    Platform* platform = nullptr;  // must outlive the dialog
    QWidget* parent = nullptr;
};

// Makes the dialog; the caller owns it. Throws what the dialog's making throws.
using SummaryDialogEntry = QDialog* (*)(SummaryDialogRequest& request);

inline constexpr char kSummaryDialogEntry[] = "NumoraCreateSummaryDialog";
// The plug-in's file, looked for in the folders that SummaryDialogLoader names.
inline constexpr char kSummaryPluginFile[] = "numora-summary.so";
