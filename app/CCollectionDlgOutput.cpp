// The main window's pages, value wizard, date picking and picture browsing.

#include "app/CCollectionDlg.h"

#include <QDialog>
#include <QDir>
#include <QLineEdit>

#include "app/PaintGapProbe.h"
#include "widgets/Platform.h"
#include "app/SummaryDialogLoader.h"
#include "output/DateText.h"
#include "output/PageComposer.h"
#include "output/ValueWizardWalk.h"
#include "output/CollectionSummary.h"
#include "output/qt/CDateSelectDlg.h"
#include "output/qt/CPictureWnd.h"
#include "output/qt/CValueWizardDlg.h"
#include "resources/FixedStrings.h"
#include "widgets/QtText.h"



void CCollectionDlg::OnListButton() { GeneratePage(kListPage); }

void CCollectionDlg::OnCatalogButton() { GeneratePage(kCataloguePage); }

void CCollectionDlg::GeneratePage(const PageKind& kind)
{
    ReadForm();
    auto readTemplate = [this](std::string_view name) {
        std::optional<std::string> text = ReadTemplate(std::string(name));
        if (!text) {
            m_platform.ShowError(this, ToQString(strings::kErrorLoadingFile), ToQString(strings::kErrorCaption));
            return std::string();
        }
        return std::move(*text);
    };
    const std::string outer = readTemplate(kind.outerTemplate);
    const std::string inner = readTemplate(kind.innerTemplate);
    std::string& location = m_prefs[kind.catalogue ? PrefKey::Catalogue : PrefKey::List];
    if (location.empty())
        location = std::string(kind.defaultOutput);
    // The page goes into the file as it is composed, never whole in memory.
    const Outcome written = WritePageFile(location, outer, inner, m_collection, m_prefs);
    // The rows pass through the form on their way into the page, which leaves the last one
    // showing.
    if (m_collection.Count() > 0)
        ReadRowIntoForm(m_collection.Count() - 1);
    if (!written) {
        m_platform.ReportProblem(written.problem);
        m_platform.ShowError(this, ToQString(strings::kSaveToFile), ToQString(strings::kErrorSavingFile));
        return;
    }
    const QString question = ToQString(strings::kPageWrittenBefore) + ToQString(location) + ToQString(strings::kPageWrittenAfter);
    if (m_platform.AskYesNo(this, question))
        m_platform.OpenWithDefaultApp(ToQString(location));
}

// ---------------------------------------------------------------------------------------------
// The value wizard

void CCollectionDlg::OnValueWizardButton()
{
    const QDate today = m_platform.Today();
    if (m_collection.Empty()) {
        m_platform.ShowError(this, ToQString(strings::kNoItemsToValue), ToQString(strings::kErrorCaption));
        return;
    }
    ValueWizardWalk walk(m_collection, DateText(today.year(), today.month(), today.day()));
    // Every row the walk writes is one step of the history, undone together.
    m_history->BeginStep(StepKind::ValueWizard);
    struct StepEnd {
        CollectionHistory& history;
        ~StepEnd() { history.EndStep(); }
    } stepEnd{*m_history};
    CValueWizardDlg dialog(m_units, this);
    while (!walk.Finished()) {
        // Every item shown is valued today, however the walk reached it: a value typed for
        // an item is never recorded under the date of an older valuation.
        const WizardShowing began = walk.Current();
        ReadRowIntoForm(began.index);
        dialog.SetShowing(began);
        const bool ok = m_platform.RunModal(dialog) == QDialog::Accepted;
        const WizardClose how = ok ? WizardClose::Ok : dialog.ClosedBy();
        WizardShowing shown = how == WizardClose::Cancel ? began : dialog.Showing();
        shown.index = began.index;  // the item shown is the one written back
        const CoinRecord record = walk.Close(how, shown);
        SaveWizardItem(began.index, record);
    }
}

void CCollectionDlg::SaveWizardItem(int row, const CoinRecord& record)
{
    ReadRowIntoForm(row);
    ReadForm();
    m_form.Set(CoinField::CurrentValue, record.Get(CoinField::CurrentValue));
    m_form.Set(CoinField::ValuationDate, record.Get(CoinField::ValuationDate));
    ShowValues();
    UpdateRow(row);
}

// ---------------------------------------------------------------------------------------------
// Dates and pictures

void CCollectionDlg::OnPurchaseDateButton() { PickDate(CoinField::PurchaseDate); }

void CCollectionDlg::OnValuationDateButton() { PickDate(CoinField::ValuationDate); }

void CCollectionDlg::PickDate(CoinField field)
{
    ReadForm();
    CDateSelectDlg dialog(m_units, m_platform.Today(), this);
    m_platform.RunModal(dialog);
    const QDate picked = dialog.SelectedDate();
    m_form.Set(field, DateText(picked.year(), picked.month(), picked.day()));
    ShowValues();
}

void CCollectionDlg::OnBrowseButton()
{
    ReadForm();
    const QString folder = QDir::currentPath();
    QStringList filters;
    for (std::string_view filter : strings::kPictureFilters)
        filters.append(ToQString(filter));
    const QString path = m_platform.GetOpenFileName(this, filters);
    if (!path.isEmpty()) {
        setWindowTitle(ToQString(strings::kBrowsedTitle) + path);
        m_form.Set(CoinField::Image, ToUtf8(path));
    }
    // The files of the collection are opened by bare name, so the folder they lie in must be
    // current again whatever the dialog did.
    QDir::setCurrent(folder);
    ShowValues();
}


void CCollectionDlg::OnViewSummary()
{
    ReadForm();
    SummaryDialogRequest request{SummarizeCollection(m_collection), ToQString(strings::kSummaryTitle), &m_platform,
                                 this};
    QString problem;
    if (std::unique_ptr<QDialog> dialog = SummaryDialogLoader::Create(request, problem))
        m_platform.RunModal(*dialog);
    else
        m_platform.ShowError(this, ToQString(strings::kSummaryUnavailable) + problem + QLatin1Char('.'),
                             ToQString(strings::kErrorCaption));
    ShowValues();
}

void CCollectionDlg::OnViewPicture()
{
    auto* image = qobject_cast<QLineEdit*>(m_binding->FieldControl(CoinField::Image));
    if (!m_pictureWnd) {
        m_pictureWnd = new CPictureWnd(this);
        m_pictureWnd->setAttribute(Qt::WA_ShowWithoutActivating);
        // Every way the form changes (a click in the list, Find, Clear, Add, a load, typing)
        // passes through the Image field's text.
        connect(image, &QLineEdit::textChanged, m_pictureWnd, [this](const QString& text) {
            if (m_pictureWnd->isVisible())
                m_pictureWnd->ShowField(text, QDir::currentPath());
        });
        PaintGapProbe::AttachIfAsked(this);
    }
    m_pictureWnd->show();
    m_pictureWnd->raise();
    m_pictureWnd->ShowField(image->text(), QDir::currentPath());
}
