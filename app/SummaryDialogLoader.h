#pragma once

#include <QString>
#include <QStringList>

#include <memory>

#include "output/qt/SummaryDialogPlugin.h"

class QDialog;

// Finds and loads the summary's plug-in the first time a summary is asked for, and keeps it
// loaded to the end of the process.
class SummaryDialogLoader {
public:
    // The folders looked in, first to last: NUMORA_PLUGIN_DIR when set (and then only it);
    // else the plug-in folder of an installed tree, relative to the program's folder; else the
    // program's folder itself, where the build puts the plug-in.
    static QStringList SearchFolders();

    // The dialog, or null with the reason in `problem` (which file was not found where, or
    // why it could not be loaded) when the plug-in cannot be had.
    static std::unique_ptr<QDialog> Create(SummaryDialogRequest& request, QString& problem);
};
