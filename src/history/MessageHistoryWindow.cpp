#include "history/MessageHistoryWindow.h"

#include "history/MessageHistoryModel.h"
#include "notify/EventLog.h"

#include <QHeaderView>
#include <QTableView>
#include <QVBoxLayout>

namespace trevisk {

namespace {

constexpr int TwipsPerPixel = 15;

} // namespace

MessageHistoryWindow::MessageHistoryWindow(const EventLog& log, QWidget* parent)
    : QDialog(parent)
    , m_model(new MessageHistoryModel(log, this))
    , m_grid(new QTableView(this))
{
    setWindowTitle(tr(Caption));
    m_grid->setObjectName(QStringLiteral("SSDBHist"));
    m_grid->setAccessibleName(tr("Message History"));
    m_grid->setModel(m_model);
    m_grid->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_grid->setWordWrap(false);
    m_grid->verticalHeader()->hide();
    m_grid->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    m_grid->verticalHeader()->setDefaultSectionSize(m_grid->fontMetrics().height() + 6);
    // The message column is wider than the window: long messages are read by scrolling sideways.
    m_grid->setColumnWidth(0, 3519 / TwipsPerPixel);
    m_grid->setColumnWidth(1, 13097 / TwipsPerPixel);
    // The message column is wider than the window: its caption stands where its texts begin.
    m_grid->horizontalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_grid);
    resize(9810 / TwipsPerPixel, 6840 / TwipsPerPixel);

    // Every logged line arrives through the signal, so the window needs no polling.
    connect(&log, &EventLog::logged, m_model, &MessageHistoryModel::refresh);
}

} // namespace trevisk
