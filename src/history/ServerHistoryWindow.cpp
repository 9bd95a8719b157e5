#include "history/ServerHistoryWindow.h"

#include "core/Clock.h"
#include "history/History.h"

#include <QApplication>
#include <QChart>
#include <QChartView>
#include <QComboBox>
#include <QCoreApplication>
#include <QDateTimeAxis>
#include <QGridLayout>
#include <QLabel>
#include <QLineSeries>
#include <QPushButton>
#include <QValueAxis>

#include <algorithm>

namespace trevisk {

namespace {

constexpr int TwipsPerPixel = 15;

constexpr int ValueTicks = 5;

// The top of the value axis: a little above the highest value, and a multiple of the steps
// between ticks, so every label is a whole number and a flat line at zero still reads.
int axisTop(int maxValue)
{
    constexpr int steps = ValueTicks - 1;
    const int wanted = maxValue + std::max(1, maxValue / 10);
    return std::max(steps, (wanted + steps - 1) / steps * steps);
}

class WaitCursor
{
public:
    WaitCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~WaitCursor() { QApplication::restoreOverrideCursor(); }
    WaitCursor(const WaitCursor&) = delete;
    WaitCursor& operator=(const WaitCursor&) = delete;
};

} // namespace

ServerHistoryWindow::ServerHistoryWindow(const History& history, const Clock& clock, QWidget* parent)
    : QDialog(parent)
    , m_history(history)
    , m_clock(clock)
    , m_title(new QLabel(this))
    , m_type(new QComboBox(this))
    , m_interval(new QComboBox(this))
    , m_refresh(new QPushButton(tr("Refresh"), this))
    , m_view(new QChartView(this))
    , m_timeAxis(new QDateTimeAxis(m_view->chart()))
    , m_valueAxis(new QValueAxis(m_view->chart()))
{
    setWindowTitle(tr(Caption));
    m_title->setObjectName(QStringLiteral("lblLabel"));
    // The title holds the server's name: never read it as markup.
    m_title->setTextFormat(Qt::PlainText);
    // A long server name may be cut; it does not widen the window.
    m_title->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    m_type->setObjectName(QStringLiteral("cmbType"));
    m_type->addItem(historyTypeText(HistoryType::Players), int(HistoryType::Players));
    m_type->addItem(historyTypeText(HistoryType::Ping), int(HistoryType::Ping));
    m_interval->setObjectName(QStringLiteral("cmbInterval"));
    for (const HistorySpan& span : historySpans())
        m_interval->addItem(QCoreApplication::translate("trevisk::HistorySeries", span.text.toUtf8().constData()),
                            span.minutes);
    m_refresh->setObjectName(QStringLiteral("cmdRefresh"));
    m_refresh->setAutoDefault(false);
    m_view->setObjectName(QStringLiteral("Chart"));
    m_view->setRenderHint(QPainter::Antialiasing);
    m_view->chart()->legend()->hide();
    m_view->chart()->setMargins(QMargins(4, 4, 4, 4));
    // Times along the bottom: a reader wants to know when, not the point's number.
    m_timeAxis->setTickCount(6);
    m_valueAxis->setLabelFormat(QStringLiteral("%d"));
    m_valueAxis->setTickCount(ValueTicks);
    m_view->chart()->addAxis(m_timeAxis, Qt::AlignBottom);
    m_view->chart()->addAxis(m_valueAxis, Qt::AlignLeft);

    auto* typeLabel = new QLabel(tr("Graph Type"), this);
    auto* intervalLabel = new QLabel(tr("Interval"), this);
    typeLabel->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    intervalLabel->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    typeLabel->setBuddy(m_type);
    intervalLabel->setBuddy(m_interval);
    m_view->setAccessibleName(tr("History Graph"));

    auto* layout = new QGridLayout(this);
    layout->setContentsMargins(9, 9, 9, 9);
    layout->addWidget(m_title, 1, 0, Qt::AlignLeft | Qt::AlignVCenter);
    layout->addWidget(typeLabel, 0, 1);
    layout->addWidget(m_type, 0, 2);
    layout->addWidget(m_refresh, 0, 3);
    layout->addWidget(intervalLabel, 1, 1);
    layout->addWidget(m_interval, 1, 2);
    layout->addWidget(m_view, 2, 0, 1, 4);
    layout->setColumnStretch(0, 1);
    layout->setRowStretch(2, 1);
    resize(QSize(9795 / TwipsPerPixel, 5490 / TwipsPerPixel).expandedTo(minimumSizeHint()));

    connect(m_refresh, &QPushButton::clicked, this, &ServerHistoryWindow::refresh);
}

void ServerHistoryWindow::config(const QString& address, const QString& name)
{
    m_address = address;
    m_name = name;
    m_type->setCurrentIndex(0);
    graph(HistoryType::Players);
}

int ServerHistoryWindow::chosenMinutes() const
{
    return m_interval->currentData().toInt();
}

void ServerHistoryWindow::refresh()
{
    WaitCursor wait;
    graph(HistoryType(m_type->currentData().toInt()));
}

void ServerHistoryWindow::graph(HistoryType type)
{
    const HistorySeries series = historySeries(m_history, m_address, m_name, type, chosenMinutes(), m_clock.now());
    m_title->setText(series.title);

    QChart* chart = m_view->chart();
    chart->removeAllSeries();
    m_timeAxis->setRange(series.since, series.until);
    m_timeAxis->setFormat(chosenMinutes() <= 5 ? QStringLiteral("HH:mm:ss") : QStringLiteral("HH:mm"));
    m_valueAxis->setRange(0, axisTop(series.maxValue));

    // One line series per answered stretch: the chart breaks where the server did not answer.
    const QColor colour = type == HistoryType::Ping ? QColor(200, 90, 20) : QColor(30, 110, 190);
    for (const QList<QPointF>& segment : series.segments) {
        auto* line = new QLineSeries(chart);
        line->setColor(colour);
        line->append(segment);
        // A lone answer between two gaps has no line to draw: show it as a dot.
        line->setPointsVisible(segment.size() == 1);
        chart->addSeries(line);
        line->attachAxis(m_timeAxis);
        line->attachAxis(m_valueAxis);
    }
}

} // namespace trevisk
