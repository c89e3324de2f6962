#include "app/SummaryDialogLoader.h"

#include <QCoreApplication>
#include <QDialog>
#include <QDir>
#include <QFileInfo>
#include <QLibrary>

#include "resources/FixedStrings.h"
#include "widgets/QtText.h"

QStringList SummaryDialogLoader::SearchFolders()
{
    const QString chosen = qEnvironmentVariable("NUMORA_PLUGIN_DIR");
    if (!chosen.isEmpty())
        return {chosen};
    const QString programFolder = QCoreApplication::applicationDirPath();
    return {QDir::cleanPath(programFolder + QLatin1Char('/') + QLatin1String(NUMORA_INSTALLED_PLUGINS)),
            programFolder};
}

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
        // has gone.
        auto* library = new QLibrary(path);
        library->setLoadHints(QLibrary::PreventUnloadHint);
        entry = reinterpret_cast<SummaryDialogEntry>(library->resolve(kSummaryDialogEntry));
        if (!entry) {
            problem = library->errorString();
            delete library;
            return nullptr;
        }
    }
    return std::unique_ptr<QDialog>(entry(request));
}
