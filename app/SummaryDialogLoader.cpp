#include "app/SummaryDialogLoader.h"

#include <QCoreApplication>
#include <QDialog>
#include <QFileInfo>
#include <QLibrary>

#include "app/ModuleFolders.h"
#include "resources/FixedStrings.h"
#include "widgets/QtText.h"

QStringList SummaryDialogLoader::SearchFolders()
{
    const QString chosen = qEnvironmentVariable("NUMORA_PLUGIN_DIR");
    if (!chosen.isEmpty())
        return {chosen};
    QStringList folders;
    for (const std::string& folder : ModuleFolders(QCoreApplication::applicationDirPath().toStdString()))
        folders.append(QString::fromStdString(folder));
    return folders;
}

namespace {

// The loaded plug-in, kept for the whole run.
QLibrary*& TheLibrary()
{
    static QLibrary* library = nullptr;
    return library;
}

}  // namespace

std::unique_ptr<QDialog> SummaryDialogLoader::Create(SummaryDialogRequest& request, QString& problem)
{
    static SummaryDialogEntry entry = nullptr;
    if (!entry) {
        QString path;
        const QStringList folders = SearchFolders();
        for (const QString& folder : folders) {
            const QString candidate = folder + QLatin1Char('/') + QLatin1String(kSummaryPluginFile);
            if (QFileInfo::exists(candidate)) {
                path = candidate;
                break;
            }
        }
        if (path.isEmpty()) {
            problem = QLatin1String(kSummaryPluginFile) + ToQString(strings::kSummaryPluginNotFound) +
                      folders.join(QLatin1String(", "));
            return nullptr;
        }
        // Never unloaded: the toolkit may hold on to the plug-in's classes after its dialog
        // has gone. The loader object is kept, never destroyed, to the end of the process.
        auto library = std::make_unique<QLibrary>(path);
        library->setLoadHints(QLibrary::PreventUnloadHint);
        entry = reinterpret_cast<SummaryDialogEntry>(library->resolve(kSummaryDialogEntry));
        if (!entry) {
            problem = library->errorString();
            return nullptr;
        }
        TheLibrary() = library.release();
    }
    return std::unique_ptr<QDialog>(entry(request));
}
