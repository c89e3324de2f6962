#include "output/qt/CSummaryDlg.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
#include <QSortFilterProxyModel>
#include <QTabWidget>
#include <QTableView>
#include <QVBoxLayout>

#include "output/SummaryPage.h"
#include "output/qt/SummaryChartView.h"
#include "output/qt/SummaryGroupModel.h"
#include "resources/FixedStrings.h"
#include "widgets/Platform.h"
#include "widgets/QtText.h"

namespace {

QLabel* Number(const QString& text, const char* name, QWidget* parent)
{
    auto* label = new QLabel(text, parent);
    label->setObjectName(name);
    label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    label->setTextInteractionFlags(Qt::TextSelectableByMouse);
    return label;
}

QLabel* Amount(Cents amount, const char* name, QWidget* parent)
{
    return Number(ToQString(AmountText(amount)), name, parent);
}

QLabel* Count(int count, const char* name, QWidget* parent)
{
    return Number(QString::number(count), name, parent);
}

}  // namespace

CSummaryDlg::CSummaryDlg(CollectionSummary summary, const QString& pageTitle,
                         Platform& platform, QWidget* parent)
    : QDialog(parent),
      m_summary(std::move(summary)),
      m_pageTitle(pageTitle),
      m_platform(platform),
      m_groups(new SummaryGroupModel(this)),
      m_sorted(new QSortFilterProxyModel(this))
{
    setObjectName("summary");
    setWindowTitle(ToQString(strings::kSummaryTitle));
    setSizeGripEnabled(true);

    auto* tabs = new QTabWidget(this);
    tabs->setObjectName("tabs");
    tabs->addTab(BuildTable(), ToQString(strings::kSummaryTableTab));
    tabs->addTab(BuildCharts(), ToQString(strings::kSummaryChartsTab));

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    QPushButton* close = buttons->button(QDialogButtonBox::Close);
    close->setObjectName("close");
    close->setDefault(true);
    QPushButton* save =
        buttons->addButton(ToQString(strings::kSaveAsHtml), QDialogButtonBox::ActionRole);
    save->setObjectName("saveHtml");
    save->setAutoDefault(false);
    connect(save, &QPushButton::clicked, this, &CSummaryDlg::OnSaveAsHtml);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(BuildTotals());
    layout->addWidget(tabs, 1);
    layout->addWidget(buttons);

    // Wide enough for two charts side by side, high enough for the charts without scrolling
    // where the screen allows.
    const QFontMetrics metrics = fontMetrics();
    auto* charts = findChild<QScrollArea*>("charts");
    QSize size = sizeHint().expandedTo(QSize(metrics.averageCharWidth() * 140, 0));
    size.rheight() += charts->widget()->minimumSizeHint().height() - charts->sizeHint().height();
    if (const QScreen* screen = this->screen())
        size = size.boundedTo(screen->availableSize() * 0.9);
    resize(size);
}

QWidget* CSummaryDlg::BuildTotals()
{
    auto* box = new QWidget(this);
    auto* grid = new QGridLayout(box);
    grid->setContentsMargins(0, 0, 0, 0);
    grid->setHorizontalSpacing(fontMetrics().averageCharWidth() * 3);
    auto heading = [&](std::string_view text, int row, int column) {
        auto* label = new QLabel(ToQString(text), box);
        label->setAlignment((column == 0 ? Qt::AlignLeft : Qt::AlignRight) | Qt::AlignVCenter);
        grid->addWidget(label, row, column);
        return label;
    };
    for (int column = 1; const std::string_view text :
         {strings::kSummaryTotal, strings::kSummaryRead, strings::kSummaryUnreadable,
          strings::kSummaryEmpty})
        heading(text, 0, column++)->setForegroundRole(QPalette::PlaceholderText);

    heading(strings::kSummaryCoins, 1, 0);
    grid->addWidget(Count(m_summary.coins, "coins", box), 1, 1);

    heading(strings::kSummaryPurchase, 2, 0);
    grid->addWidget(Amount(m_summary.purchase.total, "purchaseTotal", box), 2, 1);
    grid->addWidget(Count(m_summary.purchase.read, "purchaseRead", box), 2, 2);
    grid->addWidget(Count(m_summary.purchase.unreadable, "purchaseUnreadable", box), 2, 3);
    grid->addWidget(Count(m_summary.purchase.empty, "purchaseEmpty", box), 2, 4);

    heading(strings::kSummaryCurrent, 3, 0);
    grid->addWidget(Amount(m_summary.current.total, "currentTotal", box), 3, 1);
    grid->addWidget(Count(m_summary.current.read, "currentRead", box), 3, 2);
    grid->addWidget(Count(m_summary.current.unreadable, "currentUnreadable", box), 3, 3);
    grid->addWidget(Count(m_summary.current.empty, "currentEmpty", box), 3, 4);

    heading(strings::kSummaryDifference, 4, 0);
    grid->addWidget(Amount(m_summary.difference, "difference", box), 4, 1);
    auto* note = new QLabel(ToQString(strings::kSummaryDifferenceNote), box);
    note->setForegroundRole(QPalette::PlaceholderText);
    grid->addWidget(note, 4, 2, 1, 3);

    auto* currency = new QLabel(ToQString(strings::kSummaryCurrencyNote), box);
    currency->setForegroundRole(QPalette::PlaceholderText);
    currency->setWordWrap(true);
    grid->addWidget(currency, 5, 0, 1, 6);
    grid->setColumnStretch(5, 1);
    return box;
}

QWidget* CSummaryDlg::BuildTable()
{
    auto* page = new QWidget(this);
    m_grouping = new QComboBox(page);
    m_grouping->setObjectName("grouping");
    for (const std::string_view name : strings::kSummaryGroupings)
        m_grouping->addItem(ToQString(name));
    auto* label = new QLabel(ToQString(strings::kSummaryGroupBy), page);
    label->setBuddy(m_grouping);

    m_sorted->setSourceModel(m_groups);
    m_sorted->setSortRole(SummaryGroupModel::kSortRole);
    m_table = new QTableView(page);
    m_table->setObjectName("groups");
    m_table->setModel(m_sorted);
    m_table->setSortingEnabled(true);
    m_table->sortByColumn(SummaryGroupModel::kName, Qt::AscendingOrder);
    m_table->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_table->setSelectionMode(QAbstractItemView::SingleSelection);
    m_table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_table->setAlternatingRowColors(true);
    m_table->verticalHeader()->hide();
    m_table->horizontalHeader()->setSectionResizeMode(SummaryGroupModel::kName,
                                                      QHeaderView::Stretch);
    for (int column = SummaryGroupModel::kCoins; column < SummaryGroupModel::kColumnCount;
         ++column)
        m_table->horizontalHeader()->setSectionResizeMode(column,
                                                          QHeaderView::ResizeToContents);

    connect(m_grouping, &QComboBox::currentIndexChanged, this, &CSummaryDlg::ShowGrouping);
    ShowGrouping(0);

    auto* top = new QHBoxLayout;
    top->addWidget(label);
    top->addWidget(m_grouping);
    top->addStretch(1);
    auto* layout = new QVBoxLayout(page);
    layout->addLayout(top);
    layout->addWidget(m_table, 1);
    return page;
}

QWidget* CSummaryDlg::BuildCharts()
{
    auto* page = new QWidget(this);
    auto* byCategory = new SummaryChartView(ToQString(strings::kChartValueByCategory),
                                            CurrentValueByCategory(m_summary),
                                            SummaryChartView::Direction::Horizontal, page);
    byCategory->setObjectName("chartByCategory");
    auto* byCountry =
        new SummaryChartView(ToQString(strings::kChartCoinsByCountry), CoinsByCountry(m_summary),
                             SummaryChartView::Direction::Horizontal, page);
    byCountry->setObjectName("chartByCountry");
    auto* byYear =
        new SummaryChartView(ToQString(strings::kChartPurchaseByYear), PurchaseByYear(m_summary),
                             SummaryChartView::Direction::Vertical, page);
    byYear->setObjectName("chartByYear");

    auto* grid = new QGridLayout(page);
    grid->addWidget(byCategory, 0, 0);
    grid->addWidget(byCountry, 0, 1);
    grid->addWidget(byYear, 1, 0, 1, 2);
    grid->setRowStretch(0, 3);
    grid->setRowStretch(1, 2);
    // The charts keep the height their bars need; a small window scrolls them.
    auto* scroll = new QScrollArea(this);
    scroll->setObjectName("charts");
    scroll->setWidget(page);
    scroll->setWidgetResizable(true);
    scroll->setFrameShape(QFrame::NoFrame);
    return scroll;
}

void CSummaryDlg::ShowGrouping(int grouping)
{
    const std::vector<SummaryGroup>* groups[] = {&m_summary.byCountry, &m_summary.byCategory,
                                                 &m_summary.byCondition};
    if (grouping < 0 || grouping >= static_cast<int>(std::size(groups)))
        return;
    if (m_grouping->currentIndex() != grouping)
        m_grouping->setCurrentIndex(grouping);  // comes back here through the signal
    else
        m_groups->SetGroups(*groups[grouping], m_grouping->itemText(grouping));
}

void CSummaryDlg::OnSaveAsHtml()
{
    const QString path =
        m_platform.GetSaveFileName(this, ToQString(strings::kSummaryTitle), ToQString(strings::kHtmlFilter));
    if (path.isEmpty())
        return;
    if (const Outcome written = WriteSummaryPage(ToUtf8(path), m_summary, ToUtf8(m_pageTitle)); !written) {
        m_platform.ReportProblem(written.problem);
        m_platform.ShowError(this, ToQString(strings::kSaveToFile), ToQString(strings::kErrorSavingFile));
    }
}
