#include "app/CCollectionDlg.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QHeaderView>
#include <QHelpEvent>
#include <QItemSelectionModel>
#include <QMenuBar>
#include <QMouseEvent>
#include <QPushButton>
#include <QResizeEvent>
#include <QTableView>
#include <QToolTip>

#include "app/ChoiceCombos.h"
#include "app/MainDialogLayout.h"
#include "app/ProgramIcon.h"
#include "app/StartupTrace.h"
#include "output/PageComposer.h"
#include "records/EditRules.h"
#include "records/qt/CoinListView.h"
#include "records/qt/CoinSearchField.h"
#include "records/qt/CoinTableModel.h"
#include "resources/FixedStrings.h"
#include "resources/TooltipTexts.h"
#include "storage/AtomicFile.h"
#include "widgets/ControlBuilder.h"
#include "widgets/MenuBuilder.h"
#include "widgets/Platform.h"
#include "widgets/QtText.h"


CCollectionDlg::CCollectionDlg(Platform& platform, QWidget* parent,
                               std::optional<DialogUnits> units)
    : QDialog(parent), m_platform(platform), m_units(units ? *units : DialogUnits(font()))
{
    setWindowTitle(ToQString(strings::kWindowTitle));
    setWindowIcon(ProgramIcon());
    setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowMinMaxButtonsHint | Qt::WindowCloseButtonHint);
    setSizeGripEnabled(false);
    CreateWindowParts();
    StartupTrace::Mark("window parts made");
    OnInitDialog();
}

CCollectionDlg::~CCollectionDlg()
{
    // The focus moves while the children are destroyed, after the members it would be noted in.
    disconnect(m_focusWatch);
}

void CCollectionDlg::CreateWindowParts()
{
    m_model = new CoinTableModel(m_collection, font(), this);
    m_history = std::make_unique<CollectionHistory>(*m_model);
    FollowTheReading();

    m_menuBar = new QMenuBar(this);
    m_menuBar->setNativeMenuBar(false);
    m_actions = BuildMenus(m_menuBar, kMainMenu);
    const std::pair<MenuCommand, void (CCollectionDlg::*)()> menuHandlers[] = {
        {MenuCommand::FileSave, &CCollectionDlg::OnFileSave},
        {MenuCommand::FileExit, &CCollectionDlg::OnFileExit},
        {MenuCommand::ItemAdd, &CCollectionDlg::OnItemAdd},
        {MenuCommand::ItemDelete, &CCollectionDlg::OnItemDelete},
        {MenuCommand::ItemUpdate, &CCollectionDlg::OnItemUpdate},
        {MenuCommand::ItemClearAll, &CCollectionDlg::OnItemClearAll},
        {MenuCommand::HelpAbout, &CCollectionDlg::OnHelpAbout},
        {MenuCommand::HelpManual, &CCollectionDlg::ShowHelpPage},
        {MenuCommand::HelpWebsite, &CCollectionDlg::ShowWebsite},
        {MenuCommand::FileRestoreBackup, &CCollectionDlg::OnFileRestoreBackup},
        {MenuCommand::FileExportCsv, &CCollectionDlg::OnFileExportCsv},
        {MenuCommand::FileImportCsv, &CCollectionDlg::OnFileImportCsv},
        {MenuCommand::ItemUndo, &CCollectionDlg::OnItemUndo},
        {MenuCommand::ItemRedo, &CCollectionDlg::OnItemRedo},
        {MenuCommand::ViewSummary, &CCollectionDlg::OnViewSummary},
        {MenuCommand::ViewPicture, &CCollectionDlg::OnViewPicture},
    };
    for (const auto& [command, handler] : menuHandlers)
        connect(m_actions.value(command), &QAction::triggered, this,
                [this, handler = handler] { RunCommand([&] { (this->*handler)(); }); });

    // A text field with the focus keeps these keys for undoing its own typing.
    m_actions.value(MenuCommand::ItemUndo)->setShortcut(QKeySequence::Undo);
    m_actions.value(MenuCommand::ItemRedo)->setShortcuts({QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z),
                                                           QKeySequence(Qt::CTRL | Qt::Key_Y)});
    m_actions.value(MenuCommand::ViewSummary)->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_I));
    m_actions.value(MenuCommand::ViewPicture)->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_P));
    addActions(m_menuBar->actions());

    // The search field sits in the menu bar's corner, so the form keeps its template layout.
    // Its own actions carry Ctrl+F, F3 and Shift+F3; the View menu's items trigger them.
    m_search = new CoinSearchField(m_menuBar);
    m_search->setObjectName(QStringLiteral("search"));
    m_menuBar->setCornerWidget(m_search, Qt::TopRightCorner);
    connect(m_actions.value(MenuCommand::ViewFind), &QAction::triggered, m_search->FocusAction(), &QAction::trigger);
    connect(m_actions.value(MenuCommand::ViewFindNext), &QAction::triggered, m_search->FindNextAction(), &QAction::trigger);
    connect(m_actions.value(MenuCommand::ViewFindPrevious), &QAction::triggered, m_search->FindPreviousAction(),
            &QAction::trigger);
    connect(m_search, &CoinSearchField::findNextRequested, this, [this] { RunCommand([this] { OnFindNext(); }); });
    connect(m_search, &CoinSearchField::findPreviousRequested, this,
            [this] { RunCommand([this] { OnFindPrevious(); }); });
    m_focusWatch = connect(qApp, &QApplication::focusChanged, this, [this](QWidget* old, QWidget* now) {
        if (now == m_search && old && old != m_search && isAncestorOf(old))
            m_focusBeforeSearch = old;
    });
    connect(m_search, &CoinSearchField::leaveRequested, this, [this] {
        QWidget* back = m_focusBeforeSearch ? m_focusBeforeSearch.data() : m_list;
        back->setFocus(Qt::OtherFocusReason);
    });

    m_client = new QWidget(this);
    m_client->setObjectName(QStringLiteral("client"));
    m_client->installEventFilter(this);
    m_controls = ControlBuilder(m_units, m_client).Build(kMainDialogTemplate);
    // The status line stays readable where the list reaches down to it.
    m_controls.value(IDC_STATUS)->raise();
    for (QWidget* control : std::as_const(m_controls)) {
        control->installEventFilter(this);
        for (QWidget* child : control->findChildren<QWidget*>())
            child->installEventFilter(this);
    }
    m_binding = std::make_unique<FormBinding>(m_controls);
    for (CoinField field : kCoinFields)
        m_binding->FieldControl(field)->setAccessibleName(ToQString(ColumnHeading(field)));
    for (const ControlName& control : kMainControlNames)
        m_controls.value(control.id)->setAccessibleName(ToQString(control.name));
    m_choices = std::make_unique<ChoiceCombos>(qobject_cast<QComboBox*>(m_controls.value(IDC_COUNTRY)),
                                               qobject_cast<QComboBox*>(m_controls.value(IDC_CONDITION)),
                                               qobject_cast<QComboBox*>(m_controls.value(IDC_CATEGORY)));
    m_list = qobject_cast<QTableView*>(m_controls.value(IDC_LIST));
    m_listView = std::make_unique<CoinListView>(m_list, m_model);
    m_layout = std::make_unique<MainDialogLayout>(m_units, m_controls);

    auto button = [this](int id) { return qobject_cast<QPushButton*>(m_controls.value(id)); };
    connect(button(IDC_QUIT), &QPushButton::clicked, this, [this] {
        RunCommand([this] {
            ReadForm();
            accept();
        });
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
        connect(button(id), &QPushButton::clicked, this,
                [this, handler = handler] { RunCommand([&] { (this->*handler)(); }); });
    // The box changes its own state first; the handler then reads it from the form.
    connect(m_binding->TooltipsCheck(), &QCheckBox::toggled, this,
            [this] { RunCommand([this] { OnTooltipsCheck(); }); });
    connect(m_list->horizontalHeader(), &QHeaderView::sectionClicked, this,
            [this](int column) { RunCommand([&] { OnColumnClick(column); }); });
    connect(m_list->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            [this](const QItemSelection& selected) {
                if (!selected.isEmpty())
                    m_collection.SetMarkedRow(selected.indexes().constFirst().row());
            });

    // The window opens at the template's size, laid out by the resize rules from the start, so
    // that it looks the same before and after its first resize.
    const QSize client(m_units.X(kMainClientWidth), m_units.Y(kMainClientHeight));
    resize(client.width(), client.height() + m_menuBar->sizeHint().height());
    setMinimumSize(MinimumTrackingSize());
    m_client->resize(client);
    m_laidOutSize = client;
    OnSize(client.width(), client.height());
}

bool CCollectionDlg::OnInitDialog()
{
    // Preferences, then the columns, then the data file, which needs the columns.
    ShowValues();
    LoadPreferences();
    RemoveInterruptedSaves(".", SavedFileNames());
    BuildColumns();
    LoadDataFile();
    UpdateUndoActions();
    FieldControl(CoinField::Name)->setFocus();
    return true;
}

QWidget* CCollectionDlg::FieldControl(CoinField field) const { return m_binding->FieldControl(field); }

// ---------------------------------------------------------------------------------------------
// Form transfers

void CCollectionDlg::ReadForm() { m_binding->Read(m_values); }

void CCollectionDlg::ShowValues() { m_binding->Show(m_values); }

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
    if (CheckAdd(m_collection, m_form) == AddCheck::BlankName) {
        m_platform.ShowError(this, ToQString(strings::kBlankName), ToQString(strings::kErrorCaption));
        return;
    }
    if (IsDuplicateEntry() && !m_platform.AskYesNo(this, ToQString(strings::kDuplicateQuestion)))
        return;
    AddComboValues();
    m_history->Add(m_form);
    FitColumnWidths();
    RefreshItemCount();
}

bool CCollectionDlg::IsDuplicateEntry()
{
    ReadForm();
    m_values.itemCount = m_collection.Count();
    return CheckAdd(m_collection, m_form) == AddCheck::Duplicate;
}

void CCollectionDlg::UpdateItem()
{
    ReadForm();
    if (!m_form.Get(CoinField::Name).empty())
        m_history->Update(m_collection.MarkedRow(), m_form);
    FitColumnWidths();
    AddComboValues();
}

void CCollectionDlg::UpdateRow(int row)
{
    ReadForm();
    if (!m_form.Get(CoinField::Name).empty()) {
        AddComboValues();
        m_history->Update(row, m_form);
    }
    FitColumnWidths();
    ClearFields();
}

void CCollectionDlg::DeleteItem()
{
    const int marked = m_collection.MarkedRow();
    if (m_history->Delete(marked)) {
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
    if (m_platform.AskYesNo(this, ToQString(strings::kClearAllQuestion)))
        m_history->ClearAll();
    m_values.itemCount = m_collection.Count();
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

void CCollectionDlg::FitColumnWidths() { m_listView->FitColumnWidths(); }

void CCollectionDlg::ReadRowIntoForm(int row)
{
    ReadForm();
    m_form = row >= 0 && row < m_collection.Count() ? m_collection.Row(row) : CoinRecord();
    ShowValues();
}

void CCollectionDlg::RefreshItemCount()
{
    m_values.itemCount = m_collection.Count();
    ShowValues();
}

void CCollectionDlg::AddComboValues()
{
    ReadForm();
    m_choices->Add(m_form);
    ShowValues();
}

void CCollectionDlg::OnListClick() { ReadRowIntoForm(m_collection.MarkedRow()); }

void CCollectionDlg::OnColumnClick(int column) { SortByColumn(column); }

void CCollectionDlg::SortByColumn(int column)
{
    ReadForm();
    m_values.itemCount = m_collection.Count();
    if (column >= 0 && column < kCoinFieldCount)
        m_history->Sort(kCoinFields[column]);
    ShowValues();
}

void CCollectionDlg::ReverseRows()
{
    ReadForm();
    m_values.itemCount = m_collection.Count();
    m_history->Reverse();
    ShowValues();
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
    m_prefs[PrefKey::Tooltips] = m_values.tooltipsSwitch == 1 ? "yes" : "no";
    SetTooltipsOn(m_prefs[PrefKey::Tooltips] == "yes");
    ShowValues();
}

void CCollectionDlg::SetTooltipsOn(bool on)
{
    m_tooltipsOn = on;
    if (!on)
        QToolTip::hideText();
}

QString CCollectionDlg::OnToolTipText(int controlId) const { return ToQString(TooltipText(controlId)); }

void CCollectionDlg::ShowHelpPage() { m_platform.OpenWithDefaultApp(ToQString(HelpPageUrl())); }

void CCollectionDlg::ShowWebsite() { m_platform.OpenWithDefaultApp(ToQString(HomePageUrl())); }

void CCollectionDlg::ViewImage()
{
    ReadForm();
    if (!m_form.Get(CoinField::Image).empty())
        m_platform.OpenWithDefaultApp(ToQString(m_form.Get(CoinField::Image)));
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
// Layout

void CCollectionDlg::resizeEvent(QResizeEvent* event)
{
    QDialog::resizeEvent(event);
    const int menuHeight = m_menuBar->sizeHint().height();
    m_menuBar->setGeometry(0, 0, width(), menuHeight);
    m_client->setGeometry(0, menuHeight, width(), std::max(0, height() - menuHeight));
}

QSize CCollectionDlg::MinimumTrackingSize() const
{
    return m_layout->MinimumSize(m_menuBar->sizeHint().height());
}

void CCollectionDlg::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    setMinimumSize(MinimumTrackingSize());
}

void CCollectionDlg::OnSize(int cx, int cy) { m_layout->Place(cx, cy); }
