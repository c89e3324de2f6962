#include "app/CCollectionDlg.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QHeaderView>
#include <QHelpEvent>
#include <QItemSelectionModel>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QResizeEvent>
#include <QScrollBar>
#include <QStyle>
#include <QTableView>
#include <QTextDocument>
#include <QToolTip>

#include <climits>

#include "app/CAboutDlg.h"
#include "app/Platform.h"
#include "app/ProgramIcon.h"
#include "app/QtText.h"
#include "app/Tooltips.h"
#include "output/DateText.h"
#include "output/PageComposer.h"
#include "output/ValueWizardWalk.h"
#include "output/qt/CDateSelectDlg.h"
#include "output/qt/CValueWizardDlg.h"
#include "records/qt/CoinTableModel.h"
#include "resources/FixedStrings.h"
#include "storage/DataFile.h"
#include "storage/qt/CPreferencesDlg.h"

namespace {

enum class Kind { Edit, ReadOnlyEdit, Combo, MultiEdit, Button, DefaultButton, List, Label, Check };

struct ControlSpec {
    int id;  // -1 for labels without an ID of their own
    Kind kind;
    const char* text;
    int x, y, width, height;  // dialog units
};

// The main window's template: controls in tab order, positions in dialog units.
constexpr ControlSpec kTemplate[] = {
    {1005, Kind::Edit, "", 57, 7, 83, 14},
    {1006, Kind::Edit, "", 179, 7, 83, 14},
    {1007, Kind::Edit, "", 57, 21, 83, 14},
    {1019, Kind::Combo, "", 179, 22, 83, 168},
    {1013, Kind::Edit, "", 57, 35, 83, 14},
    {1017, Kind::Combo, "", 179, 35, 83, 172},
    {1009, Kind::Edit, "", 57, 49, 83, 14},
    {1010, Kind::ReadOnlyEdit, "", 196, 49, 54, 14},
    {1011, Kind::Edit, "", 57, 64, 83, 14},
    {1012, Kind::ReadOnlyEdit, "", 196, 64, 54, 14},
    {1022, Kind::Combo, "", 57, 80, 205, 129},
    {1008, Kind::Edit, "", 57, 94, 172, 14},
    {1014, Kind::MultiEdit, "", 57, 109, 205, 28},
    {1023, Kind::Button, "Value Wizard", 263, 88, 50, 9},
    {1021, Kind::ReadOnlyEdit, "", 7, 123, 40, 14},
    {1, Kind::DefaultButton, "Quit", 263, 7, 50, 14},
    {1000, Kind::Button, "Add", 263, 24, 50, 9},
    {1001, Kind::Button, "Update", 263, 33, 50, 9},
    {1002, Kind::Button, "Delete", 263, 43, 50, 9},
    {1003, Kind::Button, "Clear", 263, 52, 50, 9},
    {1015, Kind::Button, "Help", 263, 118, 50, 9},
    {1004, Kind::List, "", 7, 141, 306, 104},
    {-1, Kind::Label, "Name:", 7, 10, 22, 8},
    {-1, Kind::Label, "Year:", 145, 10, 18, 8},
    {-1, Kind::Label, "Face Value:", 7, 24, 39, 8},
    {-1, Kind::Label, "Puchase Price:", 7, 52, 49, 8},
    {-1, Kind::Label, "Current Value:", 7, 67, 46, 8},
    {-1, Kind::Label, "Valuation Date:", 145, 67, 50, 8},
    {-1, Kind::Label, "Description:", 7, 110, 38, 8},
    {-1, Kind::Label, "Purchase Date:", 145, 51, 50, 8},
    {-1, Kind::Label, "Condition:", 145, 38, 32, 8},
    {-1, Kind::Label, "Mint Marks:", 7, 38, 38, 8},
    {-1, Kind::Label, "Country:", 145, 24, 27, 8},
    {1041, Kind::Label, "Image:", 7, 97, 22, 8},
    {-1, Kind::Label, "Category:", 7, 83, 31, 8},
    {1047, Kind::Label, "", 7, 245, 269, 8},
    {1024, Kind::Button, "Catalog", 263, 75, 50, 9},
    {1025, Kind::Button, "List", 263, 65, 50, 9},
    {1026, Kind::Button, "W", 251, 48, 11, 14},
    {1027, Kind::Button, "W", 251, 64, 11, 14},
    {1028, Kind::Button, "Preferences", 263, 109, 50, 9},
    {1029, Kind::Button, "Browse", 230, 94, 31, 14},
    {1040, Kind::Check, "Tooltips", 265, 98, 41, 10},
    {1042, Kind::Button, "View", 36, 94, 22, 14},
};

// The form control of each field, in field order.
constexpr std::array<int, kCoinFieldCount> kFieldControlIds = {
    1005, 1006, 1007, 1019, 1013, 1017, 1009, 1010, 1011, 1012, 1022, 1008, 1014,
};

// A drop-down box is as tall as an edit field when closed; the template's height is that of
// the box with its list open.
constexpr int kComboClosedHeight = 13;

// The client area in dialog units.
constexpr int kClientWidth = 320;
constexpr int kClientHeight = 252;

QString ControlText(QWidget* control)
{
    if (auto* edit = qobject_cast<QLineEdit*>(control))
        return edit->text();
    if (auto* combo = qobject_cast<QComboBox*>(control))
        return combo->currentText();
    if (auto* text = qobject_cast<QPlainTextEdit*>(control)) {
        // The raw text keeps non-breaking spaces, which the plain-text form would turn into
        // ordinary ones; only the block separators need turning back into line feeds.
        QString raw = text->document()->toRawText();
        raw.replace(QChar::ParagraphSeparator, QLatin1Char('\n'));
        return raw;
    }
    return {};
}

void SetControlText(QWidget* control, const QString& value)
{
    if (auto* edit = qobject_cast<QLineEdit*>(control)) {
        if (edit->text() != value)
            edit->setText(value);
    } else if (auto* combo = qobject_cast<QComboBox*>(control)) {
        if (combo->currentText() != value)
            combo->setEditText(value);
    } else if (auto* text = qobject_cast<QPlainTextEdit*>(control)) {
        if (ControlText(text) != value)
            text->setPlainText(value);
    }
}

QString Text(std::string_view s) { return ToQString(s); }

}  // namespace

CCollectionDlg::CCollectionDlg(Platform& platform, QWidget* parent,
                               std::optional<DialogUnits> units)
    : QDialog(parent), m_platform(platform), m_units(units ? *units : DialogUnits(font()))
{
    setWindowTitle(Text(strings::kWindowTitle));
    setWindowIcon(ProgramIcon());
    setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowMinMaxButtonsHint | Qt::WindowCloseButtonHint);
    setSizeGripEnabled(false);

    m_model = new CoinTableModel(m_collection, font(), this);
    CreateMenu();
    CreateControls();
    m_laidOutSize = QSize(m_units.X(kClientWidth), m_units.Y(kClientHeight));
    resize(m_laidOutSize.width(), m_laidOutSize.height() + m_menuBar->sizeHint().height());
    setMinimumSize(MinimumTrackingSize());

    // The window's initialisation: preferences, then the columns, then the data file, which
    // needs the columns.
    ShowValues();
    LoadPreferences();
    BuildColumns();
    LoadDataFile();
    FieldControl(CoinField::Name)->setFocus();
}

CCollectionDlg::~CCollectionDlg() = default;

void CCollectionDlg::CreateMenu()
{
    m_menuBar = new QMenuBar(this);
    m_menuBar->setNativeMenuBar(false);
    auto add = [this](QMenu* menu, const QString& text, int command, void (CCollectionDlg::*handler)()) {
        QAction* action = menu->addAction(text);
        action->setObjectName(QString::number(command));
        connect(action, &QAction::triggered, this, [this, handler] { (this->*handler)(); });
    };
    QMenu* file = m_menuBar->addMenu(tr("&File"));
    add(file, tr("&Save"), 57603, &CCollectionDlg::OnFileSave);
    add(file, tr("&Exit"), 32772, &CCollectionDlg::OnFileExit);
    QMenu* item = m_menuBar->addMenu(tr("&Item"));
    add(item, tr("&Add"), 32773, &CCollectionDlg::OnItemAdd);
    add(item, tr("&Delete"), 32774, &CCollectionDlg::OnItemDelete);
    add(item, tr("&Update"), 32775, &CCollectionDlg::OnItemUpdate);
    add(item, tr("&Clear All"), 32776, &CCollectionDlg::OnItemClearAll);
    QMenu* help = m_menuBar->addMenu(tr("&Help"));
    add(help, tr("&About"), 32777, &CCollectionDlg::OnHelpAbout);
    add(help, tr("&Manual"), 32778, &CCollectionDlg::ShowHelpPage);
    add(help, tr("&Website"), 32779, &CCollectionDlg::ShowWebsite);
    file->setObjectName(QStringLiteral("menuFile"));
    item->setObjectName(QStringLiteral("menuItem"));
    help->setObjectName(QStringLiteral("menuHelp"));
}

void CCollectionDlg::CreateControls()
{
    m_client = new QWidget(this);
    m_client->setObjectName(QStringLiteral("client"));
    m_client->installEventFilter(this);

    for (const ControlSpec& entry : kTemplate) {
        QWidget* control = nullptr;
        QRect rect = m_units.Rect(entry.x, entry.y, entry.width, entry.height);
        switch (entry.kind) {
        case Kind::Edit:
        case Kind::ReadOnlyEdit: {
            auto* edit = new QLineEdit(m_client);
            edit->setMaxLength(INT_MAX);
            edit->setReadOnly(entry.kind == Kind::ReadOnlyEdit);
            control = edit;
            break;
        }
        case Kind::Combo: {
            auto* combo = new QComboBox(m_client);
            combo->setEditable(true);
            combo->setInsertPolicy(QComboBox::NoInsert);
            // No completion: a value shown reads back exactly as it is, "United" never
            // becomes "United States".
            combo->setCompleter(nullptr);
            combo->setDuplicatesEnabled(false);
            combo->lineEdit()->setMaxLength(INT_MAX);
            rect.setHeight(m_units.Y(entry.y + kComboClosedHeight) - m_units.Y(entry.y));
            combo->setMaxVisibleItems(std::max(1, (entry.height - kComboClosedHeight) / 8));
            control = combo;
            break;
        }
        case Kind::MultiEdit: {
            auto* text = new QPlainTextEdit(m_client);
            text->setLineWrapMode(QPlainTextEdit::NoWrap);
            text->setTabChangesFocus(true);
            control = text;
            break;
        }
        case Kind::Button:
        case Kind::DefaultButton: {
            auto* button = new QPushButton(QString::fromLatin1(entry.text), m_client);
            button->setAutoDefault(true);
            button->setDefault(entry.kind == Kind::DefaultButton);
            control = button;
            break;
        }
        case Kind::List: {
            m_list = new QTableView(m_client);
            control = m_list;
            break;
        }
        case Kind::Label: {
            const QString text = entry.id == IDC_STATUS ? Text(strings::kStatusLine)
                                                       : QString::fromLatin1(entry.text);
            auto* label = new QLabel(text, m_client);
            label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
            // A label is never cut short: where the font is wider than the template's, it
            // reaches under the field beside it.
            rect.setWidth(std::max(rect.width(), label->sizeHint().width()));
            // The status line stays readable where the list reaches down to it.
            if (entry.id == IDC_STATUS)
                label->raise();
            else
                label->lower();
            control = label;
            break;
        }
        case Kind::Check:
            m_tooltipsCheck = new QCheckBox(QString::fromLatin1(entry.text), m_client);
            control = m_tooltipsCheck;
            break;
        }
        control->setGeometry(rect);
        if (entry.id < 0)
            continue;
        control->setObjectName(QString::number(entry.id));
        m_controls.insert(entry.id, control);
        control->installEventFilter(this);
        for (QWidget* child : control->findChildren<QWidget*>())
            child->installEventFilter(this);
    }

    for (int i = 0; i < kCoinFieldCount; ++i)
        m_fieldControls[i] = m_controls.value(kFieldControlIds[i]);
    m_itemCountEdit = qobject_cast<QLineEdit*>(m_controls.value(IDC_ITEMCOUNT));

    auto button = [this](int id) { return qobject_cast<QPushButton*>(m_controls.value(id)); };
    connect(button(IDC_QUIT), &QPushButton::clicked, this, [this] {
        ReadForm();
        accept();
    });
    const std::pair<int, void (CCollectionDlg::*)()> handlers[] = {
        {IDC_ADD, &CCollectionDlg::OnAddButton},
        {IDC_UPDATE, &CCollectionDlg::OnUpdateButton},
        {IDC_DELETE, &CCollectionDlg::OnDeleteButton},
        {IDC_CLEAR, &CCollectionDlg::ClearFields},
        {IDC_HELP, &CCollectionDlg::ShowHelpPage},
        {IDC_VIEW, &CCollectionDlg::ViewImage},
        {IDC_LISTPAGE, &CCollectionDlg::OnListButton},
        {IDC_CATALOG, &CCollectionDlg::OnCatalogButton},
        {IDC_VALUEWIZARD, &CCollectionDlg::OnValueWizardButton},
        {IDC_PURCHASEDATE_PICK, &CCollectionDlg::OnPurchaseDateButton},
        {IDC_VALUATIONDATE_PICK, &CCollectionDlg::OnValuationDateButton},
        {IDC_PREFERENCES, &CCollectionDlg::OnPreferences},
        {IDC_BROWSE, &CCollectionDlg::OnBrowseButton},
    };
    for (const auto& [id, handler] : handlers)
        connect(button(id), &QPushButton::clicked, this, [this, handler = handler] { (this->*handler)(); });
    // The box changes its own state first; the handler then reads it from the form.
    connect(m_tooltipsCheck, &QCheckBox::toggled, this, [this] { OnTooltipsCheck(); });

    m_list->setModel(m_model);
    m_list->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_list->setSelectionMode(QAbstractItemView::SingleSelection);
    m_list->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_list->setShowGrid(false);
    m_list->setWordWrap(false);
    m_list->setSortingEnabled(false);
    m_list->setTabKeyNavigation(false);
    m_list->verticalHeader()->hide();
    m_list->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    m_list->verticalHeader()->setDefaultSectionSize(m_list->fontMetrics().height() + 4);
    m_list->horizontalHeader()->setSectionsClickable(true);
    m_list->horizontalHeader()->setSortIndicatorShown(false);
    m_list->horizontalHeader()->setHighlightSections(false);
    m_list->horizontalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    m_list->horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
    m_list->horizontalHeader()->setStretchLastSection(false);
    // The selection shows only while the list has the focus.
    QPalette palette = m_list->palette();
    palette.setColor(QPalette::Inactive, QPalette::Highlight, palette.color(QPalette::Inactive, QPalette::Base));
    palette.setColor(QPalette::Inactive, QPalette::HighlightedText, palette.color(QPalette::Inactive, QPalette::Text));
    m_list->setPalette(palette);
    m_list->viewport()->installEventFilter(this);
    m_list->horizontalHeader()->installEventFilter(this);
    connect(m_list->horizontalHeader(), &QHeaderView::sectionClicked, this,
            [this](int column) { OnColumnClick(column); });
    connect(m_list->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            [this](const QItemSelection& selected) {
                if (!selected.isEmpty())
                    m_collection.SetMarkedRow(selected.indexes().constFirst().row());
            });
}

// ---------------------------------------------------------------------------------------------
// Form transfers

void CCollectionDlg::ReadForm()
{
    for (CoinField field : kCoinFields)
        m_form.Set(field, ToUtf8(ControlText(FieldControl(field))));
    m_itemCount = m_itemCountEdit->text().toInt();
    m_tooltipsSwitch = m_tooltipsCheck->isChecked() ? 1 : 0;
}

void CCollectionDlg::ShowValues()
{
    for (CoinField field : kCoinFields)
        SetControlText(FieldControl(field), Text(m_form.Get(field)));
    m_itemCountEdit->setText(QString::number(m_itemCount));
    const QSignalBlocker blocker(m_tooltipsCheck);
    m_tooltipsCheck->setChecked(m_tooltipsSwitch == 1);
}

// ---------------------------------------------------------------------------------------------
// Editing commands

void CCollectionDlg::OnAddButton()
{
    ReadForm();
    AddItem();
    ClearFields();
    ShowValues();
}

void CCollectionDlg::OnUpdateButton()
{
    ReadForm();
    UpdateItem();
    ClearFields();
    ShowValues();
}

void CCollectionDlg::OnDeleteButton()
{
    ReadForm();
    DeleteItem();
    ClearFields();
    ShowValues();
}

void CCollectionDlg::OnItemAdd()
{
    ReadForm();
    AddItem();
    ShowValues();
}

void CCollectionDlg::OnItemDelete()
{
    ReadForm();
    DeleteItem();
    ShowValues();
}

void CCollectionDlg::OnItemUpdate()
{
    ReadForm();
    UpdateItem();
    ShowValues();
}

void CCollectionDlg::OnItemClearAll()
{
    ReadForm();
    ClearAllItems();
    ShowValues();
}

void CCollectionDlg::ClearFields()
{
    ReadForm();
    m_form = CoinRecord();
    ShowValues();
}

void CCollectionDlg::AddItem()
{
    ReadForm();
    if (m_form.Get(CoinField::Name).empty()) {
        m_platform.ShowError(this, Text(strings::kBlankName), Text(strings::kErrorCaption));
        return;
    }
    if (IsDuplicateEntry() && !m_platform.AskYesNo(this, Text(strings::kDuplicateQuestion)))
        return;
    AddComboValues();
    m_model->InsertTop(m_form);
    FitColumnWidths();
    RefreshItemCount();
}

bool CCollectionDlg::IsDuplicateEntry()
{
    ReadForm();
    m_itemCount = m_collection.Count();
    return m_collection.HasNameAndYear(m_form.Get(CoinField::Name), m_form.Get(CoinField::Year));
}

void CCollectionDlg::UpdateItem()
{
    ReadForm();
    if (!m_form.Get(CoinField::Name).empty())
        m_model->Replace(m_collection.MarkedRow(), m_form);
    FitColumnWidths();
    AddComboValues();
}

void CCollectionDlg::UpdateRow(int row)
{
    ReadForm();
    if (!m_form.Get(CoinField::Name).empty()) {
        AddComboValues();
        m_model->Replace(row, m_form);
    }
    FitColumnWidths();
    ClearFields();
}

void CCollectionDlg::DeleteItem()
{
    const int marked = m_collection.MarkedRow();
    if (m_model->Remove(marked)) {
        // The view moves its current row to a neighbour; that row is not what the user
        // chose, so nothing stays selected or marked and a second Delete deletes nothing.
        m_list->selectionModel()->clear();
        m_collection.SetMarkedRow(-1);
    }
    FitColumnWidths();
    RefreshItemCount();
}

void CCollectionDlg::ClearAllItems()
{
    if (m_platform.AskYesNo(this, Text(strings::kClearAllQuestion)))
        m_model->Clear();
    m_itemCount = m_collection.Count();
    FitColumnWidths();
    ShowValues();
}

// ---------------------------------------------------------------------------------------------
// The list

void CCollectionDlg::BuildColumns()
{
    // The model provides the thirteen columns and their headings; only their widths are
    // set here.
    FitColumnWidths();
}

void CCollectionDlg::FitColumnWidths()
{
    QHeaderView* header = m_list->horizontalHeader();
    const int padding = 2 * (m_list->style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, m_list) + 1) + 6;
    int used = 0;
    for (int c = 0; c < kCoinFieldCount; ++c) {
        int width = std::max(m_model->WidestText(c) + padding, header->sectionSizeHint(c));
        if (c == kCoinFieldCount - 1)  // the last column reaches the list's right edge
            width = std::max(width, m_list->viewport()->width() - used);
        header->resizeSection(c, width);
        used += width;
    }
}

void CCollectionDlg::ReadRowIntoForm(int row)
{
    ReadForm();
    m_form = row >= 0 && row < m_collection.Count() ? m_collection.Row(row) : CoinRecord();
    ShowValues();
}

void CCollectionDlg::RefreshItemCount()
{
    m_itemCount = m_collection.Count();
    ShowValues();
}

ChoiceList& CCollectionDlg::ChoicesFor(CoinField field)
{
    return m_choices[field == CoinField::Country ? 0 : field == CoinField::Condition ? 1 : 2];
}

void CCollectionDlg::InsertComboEntry(QComboBox* combo, int index, std::string_view text)
{
    // Putting the first entry into an empty box would also make it the box's text.
    const QString shown = combo->currentText();
    combo->insertItem(index, Text(text));
    combo->setEditText(shown);
}

void CCollectionDlg::AddComboValues()
{
    ReadForm();
    for (CoinField field : {CoinField::Country, CoinField::Condition, CoinField::Category}) {
        const int index = ChoicesFor(field).Add(m_form.Get(field));
        if (index >= 0)
            InsertComboEntry(qobject_cast<QComboBox*>(FieldControl(field)), index, m_form.Get(field));
    }
    ShowValues();
}

void CCollectionDlg::RebuildComboLists()
{
    for (CoinField field : {CoinField::Country, CoinField::Condition, CoinField::Category}) {
        auto* combo = qobject_cast<QComboBox*>(FieldControl(field));
        const QString shown = combo->currentText();
        QStringList entries;
        for (const std::string& e : ChoicesFor(field).Entries())
            entries.append(Text(e));
        combo->clear();
        combo->addItems(entries);
        combo->setEditText(shown);
    }
}

void CCollectionDlg::OnListClick() { ReadRowIntoForm(m_collection.MarkedRow()); }

void CCollectionDlg::OnColumnClick(int column) { SortByColumn(column); }

void CCollectionDlg::SortByColumn(int column)
{
    ReadForm();
    m_itemCount = m_collection.Count();
    if (column >= 0 && column < kCoinFieldCount)
        m_model->SortByColumn(kCoinFields[column]);
    ShowValues();
}

void CCollectionDlg::ReverseRows()
{
    ReadForm();
    m_itemCount = m_collection.Count();
    m_model->ReverseRows();
    ShowValues();
}

// ---------------------------------------------------------------------------------------------
// Files

void CCollectionDlg::LoadDataFile()
{
    ReadForm();
    m_model->LoadBottomUp(ReadDataFile(kDataFileName));
    for (CoinField field : {CoinField::Country, CoinField::Condition, CoinField::Category}) {
        std::vector<std::string_view> values;
        values.reserve(m_collection.BottomUp().size());
        for (const CoinRecord& r : m_collection.BottomUp())
            values.push_back(r.Get(field));
        ChoicesFor(field).AddAll(values);
    }
    RebuildComboLists();
    FitColumnWidths();
    RefreshItemCount();
    ClearFields();
}

void CCollectionDlg::SaveDataFile()
{
    // The form is emptied whether or not the file can be written.
    ClearFields();
    if (!WriteDataFile(kDataFileName, m_collection))
        m_platform.ShowError(this, Text(strings::kSaveToFile), Text(strings::kErrorWritingFile));
}

void CCollectionDlg::LoadPreferences()
{
    ReadForm();
    m_prefs = ReadPreferencesFile(kPreferencesFileName);
    if (m_prefs.TooltipsOn()) {
        m_tooltipsSwitch = 1;
        SetTooltipsOn(true);
    }
    ShowValues();
}

void CCollectionDlg::SavePreferences()
{
    if (!WritePreferencesFile(kPreferencesFileName, m_prefs))
        m_platform.ShowError(this, Text(strings::kSaveToFile), Text(strings::kErrorWritingFile));
}

void CCollectionDlg::OnPreferences()
{
    ReadForm();
    CPreferencesDlg dialog(m_units, this);
    dialog.SetValues(m_prefs);
    m_platform.RunModal(dialog);
    dialog.GetValues(m_prefs);
    SavePreferences();
    ShowValues();
}

void CCollectionDlg::OnFileSave()
{
    ReadForm();
    SaveDataFile();
    ShowValues();
}

void CCollectionDlg::OnFileExit()
{
    ReadForm();
    SaveDataFile();
    SavePreferences();
    m_closed = true;  // the files are written; leaving must not write them again
    m_platform.EndProcess(0);
}

void CCollectionDlg::OnHelpAbout()
{
    ReadForm();
    CAboutDlg about(m_units, this);
    m_platform.RunModal(about);
    ShowValues();
}

void CCollectionDlg::OnDestroy()
{
    SavePreferences();
    SaveDataFile();
}

void CCollectionDlg::done(int result)
{
    QDialog::done(result);
    if (m_closed)
        return;
    m_closed = true;
    OnDestroy();
}

// ---------------------------------------------------------------------------------------------
// Tooltips and links

void CCollectionDlg::OnTooltipsCheck()
{
    ReadForm();
    ApplyTooltipsSwitch();
    ShowValues();
}

void CCollectionDlg::ApplyTooltipsSwitch()
{
    ReadForm();
    m_prefs[PrefKey::Tooltips] = m_tooltipsSwitch == 1 ? "yes" : "no";
    SetTooltipsOn(m_prefs[PrefKey::Tooltips] == "yes");
    ShowValues();
}

void CCollectionDlg::SetTooltipsOn(bool on)
{
    m_tooltipsOn = on;
    if (!on)
        QToolTip::hideText();
}

QString CCollectionDlg::OnToolTipText(int controlId) const { return TooltipText(controlId); }

void CCollectionDlg::ShowHelpPage() { m_platform.OpenWithDefaultApp(ToQString(HelpPageUrl())); }

void CCollectionDlg::ShowWebsite() { m_platform.OpenWithDefaultApp(ToQString(HomePageUrl())); }

void CCollectionDlg::ViewImage()
{
    ReadForm();
    if (!m_form.Get(CoinField::Image).empty())
        m_platform.OpenWithDefaultApp(Text(m_form.Get(CoinField::Image)));
    ShowValues();
}

int CCollectionDlg::ControlIdOf(QObject* object) const
{
    // A control's object name is its ID; its inner widgets (a combo box's edit field, a
    // list's viewport) have none of their own.
    for (QObject* o = object; o != nullptr && o != this; o = o->parent()) {
        bool isId = false;
        const int id = o->objectName().toInt(&isId);
        if (isId)
            return id;
    }
    return -1;
}

bool CCollectionDlg::eventFilter(QObject* watched, QEvent* event)
{
    switch (event->type()) {
    case QEvent::ToolTip: {
        const QString text = m_tooltipsOn ? OnToolTipText(ControlIdOf(watched)) : QString();
        auto* help = static_cast<QHelpEvent*>(event);
        if (text.isEmpty())
            QToolTip::hideText();
        else
            QToolTip::showText(help->globalPos(), text, qobject_cast<QWidget*>(watched));
        return true;
    }
    case QEvent::MouseButtonRelease:
        if (watched == m_list->viewport() &&
            static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton)
            OnListClick();
        break;
    case QEvent::Resize:
        if (watched == m_client) {
            const QSize size = m_client->size();
            if (size != m_laidOutSize) {
                m_laidOutSize = size;
                OnSize(size.width(), size.height());
            }
        }
        break;
    default:
        break;
    }
    return QDialog::eventFilter(watched, event);
}

// ---------------------------------------------------------------------------------------------
// Pages

void CCollectionDlg::OnListButton() { GeneratePage(kListPage); }

void CCollectionDlg::OnCatalogButton() { GeneratePage(kCataloguePage); }

void CCollectionDlg::GeneratePage(const PageKind& kind)
{
    ReadForm();
    auto readTemplate = [this](std::string_view name) {
        std::optional<std::string> text = ReadTemplate(std::string(name));
        if (!text) {
            m_platform.ShowError(this, Text(strings::kErrorLoadingFile), Text(strings::kErrorCaption));
            return std::string();
        }
        return std::move(*text);
    };
    const std::string outer = readTemplate(kind.outerTemplate);
    const std::string inner = readTemplate(kind.innerTemplate);
    const std::string page = ComposePage(outer, inner, m_collection, m_prefs);
    // The rows pass through the form on their way into the page, which leaves the last one
    // showing.
    if (m_collection.Count() > 0)
        ReadRowIntoForm(m_collection.Count() - 1);

    std::string& location = m_prefs[kind.catalogue ? PrefKey::Catalogue : PrefKey::List];
    if (location.empty())
        location = std::string(kind.defaultOutput);
    if (!WritePage(location, page)) {
        m_platform.ShowError(this, Text(strings::kSaveToFile), Text(strings::kErrorSavingFile));
        return;
    }
    const QString question = QStringLiteral("Your Page Has Been Generated.\nYour page was written to:\n") +
                             Text(location) + QStringLiteral("\nWould you like to view it?");
    if (m_platform.AskYesNo(this, question))
        m_platform.OpenWithDefaultApp(Text(location));
}

// ---------------------------------------------------------------------------------------------
// The value wizard

void CCollectionDlg::OnValueWizardButton()
{
    const QDate today = m_platform.Today();
    if (m_collection.Empty()) {
        m_platform.ShowError(this, Text(strings::kNoItemsToValue), Text(strings::kErrorCaption));
        return;
    }
    ValueWizardWalk walk(m_collection, DateText(today.year(), today.month(), today.day()));
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
    const QStringList filters = {
        QStringLiteral("JPG Files (*.jpg)"), QStringLiteral("GIF Files (*.gif)"),
        QStringLiteral("PNG Files (*.png)"), QStringLiteral("BMP Files (*.bmp)"),
        QStringLiteral("All Files (*.*)"),
    };
    const QString path = m_platform.GetOpenFileName(this, filters);
    if (!path.isEmpty()) {
        setWindowTitle(QStringLiteral("Vomek: ") + path);
        m_form.Set(CoinField::Image, ToUtf8(path));
    }
    // The files of the collection are opened by bare name, so the folder they lie in must be
    // current again whatever the dialog did.
    QDir::setCurrent(folder);
    ShowValues();
}

// ---------------------------------------------------------------------------------------------
// Layout

void CCollectionDlg::resizeEvent(QResizeEvent* event)
{
    QDialog::resizeEvent(event);
    const int menuHeight = m_menuBar->sizeHint().height();
    m_menuBar->setGeometry(0, 0, width(), menuHeight);
    m_client->setGeometry(0, menuHeight, width(), std::max(0, height() - menuHeight));
}

// The layout was drawn for dialog units of 1.5 by 1.625 pixels; its lengths are given in
// those pixels and converted with the window's own units, so the window lays out alike with
// any font and on any screen.
namespace {
constexpr double kDrawnUnitX = 1.5;
constexpr double kDrawnUnitY = 1.625;
}  // namespace

int CCollectionDlg::LayoutX(int drawnPixels) const { return m_units.X(drawnPixels / kDrawnUnitX); }

int CCollectionDlg::LayoutY(int drawnPixels) const { return m_units.Y(drawnPixels / kDrawnUnitY); }

QSize CCollectionDlg::MinimumTrackingSize() const
{
    // The limit is on the outer window; the frame, where the window manager draws one, is
    // outside the widget.
    const QSize frame = frameGeometry().size() - geometry().size();
    return QSize(LayoutX(490) - std::max(0, frame.width()), LayoutY(365) - std::max(0, frame.height()));
}

void CCollectionDlg::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    setMinimumSize(MinimumTrackingSize());
}

void CCollectionDlg::OnSize(int cx, int cy)
{
    auto place = [this](int id, int x, int y, int width, int height) {
        if (QWidget* control = m_controls.value(id))
            control->setGeometry(x, y, std::max(0, width), std::max(0, height));
    };
    auto resizeOnly = [this](int id, int width, int height) {
        if (QWidget* control = m_controls.value(id))
            control->resize(std::max(0, width), std::max(0, height));
    };
    // A single-line field stays one text line high plus a margin.
    auto lineHeight = [this](int id) {
        return m_controls.value(id)->fontMetrics().height() + LayoutY(9);
    };
    auto dropDown = [this, cy](int id, int width) {
        auto* combo = qobject_cast<QComboBox*>(m_controls.value(id));
        if (!combo)
            return;
        combo->resize(std::max(0, width), combo->height());
        // The open list may reach the bottom of the window.
        const int rowHeight = std::max(1, combo->fontMetrics().height() + 4);
        combo->setMaxVisibleItems(std::max(1, (cy - combo->y() - combo->height()) / rowHeight));
    };

    place(IDC_STATUS, LayoutX(3), cy - LayoutY(15), LayoutX(400), LayoutY(15));
    // The description keeps its height; only its width follows the window.
    resizeOnly(IDC_DESCRIPTION, cx - LayoutX(173), m_controls.value(IDC_DESCRIPTION)->height());
    resizeOnly(IDC_IMAGE, cx - LayoutX(222), lineHeight(IDC_IMAGE));
    resizeOnly(IDC_YEAR, cx - LayoutX(358), lineHeight(IDC_YEAR));
    dropDown(IDC_COUNTRY, cx - LayoutX(358));
    dropDown(IDC_CONDITION, cx - LayoutX(358));
    dropDown(IDC_CATEGORY, cx - LayoutX(173));

    struct Row {
        int id, y, height;
    };
    constexpr Row kButtonColumn[] = {
        {IDC_QUIT, 11, 23},         {IDC_ADD, 39, 15},     {IDC_UPDATE, 54, 15},
        {IDC_DELETE, 69, 15},       {IDC_CLEAR, 84, 15},   {IDC_LISTPAGE, 106, 15},
        {IDC_CATALOG, 121, 15},     {IDC_VALUEWIZARD, 143, 15}, {IDC_PREFERENCES, 178, 15},
        {IDC_HELP, 193, 15},        {IDC_TOOLTIPS, 161, 15},
    };
    for (const Row& row : kButtonColumn)
        place(row.id, cx - LayoutX(85), LayoutY(row.y), LayoutX(75), LayoutY(row.height));
    place(IDC_BROWSE, cx - LayoutX(136), LayoutY(152), LayoutX(48), LayoutY(22));
    resizeOnly(IDC_LIST, cx - LayoutX(22), cy - LayoutY(240));
}
