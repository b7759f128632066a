#include "monitoring/ui/DetailedViewWindow.h"

#include <QApplication>
#include <QCloseEvent>
#include <QHash>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollArea>
#include <QScrollBar>
#include <QStaticText>

#include <algorithm>
#include <array>

#include "monitoring/Datagrams.h"
#include "monitoring/IncomingDatagrams.h"
#include "monitoring/StatusChange.h"
#include "monitoring/ui/NewPartNumberDialog.h"
#include "monitoring/ui/SetMachineStatusDialog.h"
#include "platform/Notifier.h"
#include "platform/ui/Latin1.h"
#include "platform/ui/QtColorRef.h"
#include "platform/ui/QtWindowRect.h"

namespace quillon {

namespace {

constexpr int kTickMs = 1000;
constexpr int kDefaultWidth = 1280;
constexpr int kDefaultHeight = 720;
constexpr int kCellPadding = 4;
// The override gauges run to this percent; more shows as a full gauge.
constexpr int kOverrideGaugeTop = 150;
constexpr std::uint32_t kGridColor = 0x606060;
constexpr std::uint32_t kHeaderColor = 0x303030;
constexpr std::uint32_t kMainTitleColor = 0x804000;
constexpr std::uint32_t kSubTitleColor = 0x503010;
constexpr std::uint32_t kBarFrameColor = 0xA0A0A0;

int columnWidth(DetailedColumn column)
{
    switch (column) {
    case DetailedColumn::MachineName:
        return 150;
    case DetailedColumn::Status:
        return 150;
    case DetailedColumn::PartNumber:
        return 170;
    case DetailedColumn::Oee:
        return 150;
    case DetailedColumn::Count:
        return 120;
    case DetailedColumn::LastCycle:
        return 150;
    case DetailedColumn::CurrentCycle:
        return 170;
    case DetailedColumn::ElapsedTime:
        return 150;
    case DetailedColumn::FeedOverride:
    case DetailedColumn::SpindleOverride:
        return 150;
    }
    return 100;
}

QColor color(std::uint32_t value)
{
    return toQColor(value);
}

// Laid-out texts by font and text. A wall display repaints the same few hundred texts
// every second; laying each out once keeps a full repaint in a few milliseconds.
class TextCache {
public:
    const QStaticText& text(const QString& line, const QFont& font)
    {
        QHash<QString, QStaticText>& texts = m_byFont[fontKey(font)];
        if (texts.size() > kLimit)
            texts.clear();
        auto found = texts.find(line);
        if (found == texts.end()) {
            QStaticText made(line);
            made.setTextFormat(Qt::PlainText);
            made.setPerformanceHint(QStaticText::AggressiveCaching);
            made.prepare(QTransform(), font);
            found = texts.insert(line, made);
        }
        return *found;
    }

private:
    static int fontKey(const QFont& font) { return font.pixelSize() * 2 + (font.bold() ? 1 : 0); }
    // Far more than a screen of rows shows; past it the cache starts again.
    static constexpr qsizetype kLimit = 8192;
    QHash<int, QHash<QString, QStaticText>> m_byFont;
};

// Never destroyed: its fonts must not outlive the application object at exit.
TextCache& textCache()
{
    static TextCache* const cache = new TextCache;
    return *cache;
}

// The one or two lines of `text` centred in `box` (or at its left with Qt::AlignLeft), each cut
// with an ellipsis when it is wider than the box.
void drawCellText(QPainter& painter, const QRect& box, const QString& text,
                  int flags = Qt::AlignCenter)
{
    const QFont& font = painter.font();
    const auto laidOut = [&](const QString& line) {
        const QStaticText* shown = &textCache().text(line, font);
        if (shown->size().width() > box.width())
            shown = &textCache().text(
                painter.fontMetrics().elidedText(line, Qt::ElideRight, box.width()), font);
        return shown;
    };
    std::array<const QStaticText*, 2> lines{};
    std::size_t count = 0;
    const qsizetype split = text.indexOf(QLatin1Char('\n'));
    if (split < 0) {
        lines[count++] = laidOut(text);
    } else {
        lines[count++] = laidOut(text.left(split));
        lines[count++] = laidOut(text.mid(split + 1));
    }
    qreal height = 0;
    for (std::size_t i = 0; i < count; ++i)
        height += lines[i]->size().height();
    qreal y = box.top() + (box.height() - height) / 2;
    for (std::size_t i = 0; i < count; ++i) {
        const QStaticText& shown = *lines[i];
        const qreal x = (flags & Qt::AlignLeft)
                            ? box.left()
                            : box.left() + (box.width() - shown.size().width()) / 2;
        painter.drawStaticText(QPointF(x, y), shown);
        y += shown.size().height();
    }
}

void fillText(QPainter& painter, const QRect& cell, const CellColors& colors, const QString& text,
              int flags = Qt::AlignCenter)
{
    painter.fillRect(cell, color(colors.background));
    painter.setPen(color(colors.text));
    drawCellText(painter, cell.adjusted(kCellPadding, 0, -kCellPadding, 0), text, flags);
}

// Lines as one-pixel rectangles: the painter fills those far faster than it strokes lines,
// and a full table has a few thousand of them.
void frameRect(QPainter& painter, const QRect& box, const QColor& line)
{
    painter.fillRect(QRect(box.left(), box.top(), box.width(), 1), line);
    painter.fillRect(QRect(box.left(), box.bottom(), box.width(), 1), line);
    painter.fillRect(QRect(box.left(), box.top(), 1, box.height()), line);
    painter.fillRect(QRect(box.right(), box.top(), 1, box.height()), line);
}

// A horizontal bar inside the cell, filled to `fraction` with `fill`, `text` over it.
void paintBar(QPainter& painter, const QRect& cell, double fraction, std::uint32_t fill,
              const QString& text, std::uint32_t textColor, int margin = kCellPadding * 2)
{
    const QRect bar = cell.adjusted(kCellPadding, margin, -kCellPadding, -margin);
    frameRect(painter, bar, color(kBarFrameColor));
    const int filled = static_cast<int>(std::clamp(fraction, 0.0, 1.0) * (bar.width() - 2));
    if (filled <= 0) {
        painter.setPen(color(textColor));
        drawCellText(painter, bar, text);
        return;
    }
    painter.fillRect(QRect(bar.left() + 1, bar.top() + 1, filled, bar.height() - 2), color(fill));
    // The text reads on both parts: in the fill's contrast over the fill, else in the row's.
    // Most texts lie wholly on one side and are drawn once.
    const int boundary = bar.left() + 1 + filled;
    const qreal textWidth = textCache().text(text, painter.font()).size().width();
    const qreal textLeft = bar.left() + (bar.width() - textWidth) / 2;
    if (boundary >= textLeft + textWidth || boundary <= textLeft) {
        painter.setPen(color(boundary <= textLeft ? textColor : readableTextOn(fill)));
        drawCellText(painter, bar, text);
        return;
    }
    const bool clipped = painter.hasClipping();
    const QRegion before = clipped ? painter.clipRegion() : QRegion();
    const auto drawPart = [&](const QRect& part, std::uint32_t pen) {
        painter.setClipRect(part, Qt::IntersectClip);
        painter.setPen(color(pen));
        drawCellText(painter, bar, text);
        if (clipped)
            painter.setClipRegion(before);
        else
            painter.setClipping(false);
    };
    drawPart(QRect(bar.left(), bar.top(), boundary - bar.left(), bar.height()),
             readableTextOn(fill));
    drawPart(QRect(boundary, bar.top(), bar.right() + 1 - boundary, bar.height()), textColor);
}

void paintGauges(QPainter& painter, const QRect& cell, const std::vector<int>& percents,
                 std::uint32_t textColor)
{
    const int count = static_cast<int>(percents.size());
    for (int i = 0; i < count; ++i) {
        const int top = cell.top() + cell.height() * i / count;
        const int bottom = cell.top() + cell.height() * (i + 1) / count;
        const QRect part(cell.left(), top, cell.width(), bottom - top);
        const int percent = percents[static_cast<std::size_t>(i)];
        // Below 100 % the machine runs slower than programmed.
        const std::uint32_t fill = percent < 100 ? kLiveYellow : kLiveGreen;
        paintBar(painter, part, static_cast<double>(percent) / kOverrideGaugeTop, fill,
                 QString::number(percent) + QStringLiteral(" %"), textColor,
                 count > 1 ? 1 : kCellPadding * 2);
    }
}

void paintStatus(QPainter& painter, const QRect& cell, const StatusCell& status)
{
    if (!status.split) {
        fillText(painter, cell, status.colors, fromBytes(status.text));
        return;
    }
    const QRect halves[2] = {QRect(cell.left(), cell.top(), cell.width() / 2, cell.height()),
                             QRect(cell.left() + cell.width() / 2, cell.top(),
                                   cell.width() - cell.width() / 2, cell.height())};
    for (std::size_t i = 0; i < 2; ++i) {
        const bool on = status.stationOn[i];
        fillText(painter, halves[i], onBackground(on ? kLiveGreen : kLiveRed),
                 on ? QStringLiteral("ON") : QStringLiteral("OFF"));
    }
}

void paintMachineRow(QPainter& painter, const DetailedRow& row, const DetailedLayout& layout,
                     std::size_t index, const CellColors& plain)
{
    for (const DetailedColumn column : layout.columns) {
        const QRect cell = *layout.cellRect(index, column);
        switch (column) {
        case DetailedColumn::MachineName:
            fillText(painter, cell, {kLiveBlue, kLiveWhite},
                     fromBytes(row.name) + '\n' + fromBytes(row.number));
            break;
        case DetailedColumn::Status:
            paintStatus(painter, cell, row.status);
            break;
        case DetailedColumn::PartNumber:
            fillText(painter, cell, plain,
                     fromBytes(row.partNumber) + '\n' + fromBytes(row.operation));
            break;
        case DetailedColumn::Oee:
            fillText(painter, cell, row.oeeColors, fromBytes(row.oee));
            break;
        case DetailedColumn::Count:
            fillText(painter, cell, plain, fromBytes(row.count));
            break;
        case DetailedColumn::LastCycle:
            fillText(painter, cell, row.lastCycleColors, fromBytes(row.lastCycle));
            break;
        case DetailedColumn::CurrentCycle:
            painter.fillRect(cell, color(plain.background));
            paintBar(painter, cell, row.currentCycle.fraction(), row.currentCycle.fill,
                     fromBytes(row.currentCycle.text), plain.text);
            break;
        case DetailedColumn::ElapsedTime:
            fillText(painter, cell, plain, fromBytes(row.elapsed));
            break;
        case DetailedColumn::FeedOverride: {
            painter.fillRect(cell, color(plain.background));
            std::vector<int> percents = {row.feedOverride[0]};
            if (row.stations == 2)
                percents.push_back(row.feedOverride[1]);
            paintGauges(painter, cell, percents, plain.text);
            break;
        }
        case DetailedColumn::SpindleOverride:
            painter.fillRect(cell, color(plain.background));
            paintGauges(painter, cell, {row.spindleOverride}, plain.text);
            break;
        }
    }
}

}  // namespace

DetailedLayout DetailedLayout::of(const DetailedViewModel& model)
{
    DetailedLayout layout;
    for (std::size_t i = 0; i < kDetailedColumnCount; ++i) {
        const auto column = static_cast<DetailedColumn>(i);
        if (model.columns().shown(column)) {
            layout.columns.push_back(column);
            layout.widths.push_back(columnWidth(column));
        }
    }
    int top = kHeaderHeight;
    for (const DetailedRow& row : model.rows()) {
        layout.tops.push_back(top);
        top += row.kind == DetailedRow::Kind::Machine ? kMachineRowHeight : kTitleRowHeight;
    }
    layout.tops.push_back(top);
    return layout;
}

int DetailedLayout::width() const
{
    int total = 0;
    for (const int width : widths)
        total += width;
    return total;
}

QRect DetailedLayout::rowRect(std::size_t row) const
{
    if (row + 1 >= tops.size())
        return {};
    return QRect(0, tops[row], width(), tops[row + 1] - tops[row]);
}

std::optional<QRect> DetailedLayout::cellRect(std::size_t row, DetailedColumn column) const
{
    const QRect line = rowRect(row);
    int left = 0;
    for (std::size_t i = 0; i < columns.size(); ++i) {
        if (columns[i] == column)
            return QRect(left, line.top(), widths[i], line.height());
        left += widths[i];
    }
    return std::nullopt;
}

std::optional<std::size_t> DetailedLayout::rowAt(int y) const
{
    if (tops.size() < 2 || y < tops.front() || y >= tops.back())
        return std::nullopt;
    const auto after = std::upper_bound(tops.begin(), tops.end(), y);
    return static_cast<std::size_t>(after - tops.begin() - 1);
}

void paintDetailedView(QPainter& painter, const DetailedViewModel& model,
                       const DetailedLayout& layout, const StatusTable& statuses,
                       const QRect& clip)
{
    const CellColors plain{statuses.background, statuses.foreground};
    // Every cell paints its own background; only what lies beside the table is filled here.
    const QRegion outside = QRegion(clip) - QRegion(0, 0, layout.width(), layout.height());
    for (const QRect& part : outside)
        painter.fillRect(part, color(plain.background));
    QFont font = painter.font();
    font.setPixelSize(13);
    font.setBold(true);
    painter.setFont(font);

    int left = 0;
    for (std::size_t i = 0; i < layout.columns.size(); ++i) {
        const QRect cell(left, 0, layout.widths[i], DetailedLayout::kHeaderHeight);
        fillText(painter, cell, {kHeaderColor, kLiveWhite},
                 fromBytes(std::string(columnHeader(layout.columns[i], model.columns()))));
        left += layout.widths[i];
    }

    const std::vector<DetailedRow>& rows = model.rows();
    const auto first = layout.rowAt(std::max(clip.top(), DetailedLayout::kHeaderHeight));
    font.setBold(false);
    painter.setFont(font);
    for (std::size_t index = first.value_or(rows.size()); index < rows.size(); ++index) {
        const QRect line = layout.rowRect(index);
        if (line.top() > clip.bottom())
            break;
        const DetailedRow& row = rows[index];
        if (row.kind == DetailedRow::Kind::Machine) {
            paintMachineRow(painter, row, layout, index, plain);
        } else {
            const bool main = row.kind == DetailedRow::Kind::MainTitle;
            QFont titleFont = font;
            titleFont.setBold(true);
            titleFont.setPixelSize(main ? 18 : 14);
            painter.setFont(titleFont);
            fillText(painter, line, {main ? kMainTitleColor : kSubTitleColor, kLiveWhite},
                     fromBytes(row.title), Qt::AlignVCenter | Qt::AlignLeft);
            painter.setFont(font);
        }
    }

    // Column lines run through the header and the machine rows; a title spans the table.
    const QColor grid = color(kGridColor);
    const auto columnLines = [&](int top, int bottom) {
        int right = 0;
        for (const int width : layout.widths) {
            right += width;
            painter.fillRect(QRect(right - 1, top, 1, bottom - top), grid);
        }
    };
    columnLines(0, DetailedLayout::kHeaderHeight);
    for (std::size_t index = 0; index < rows.size(); ++index) {
        if (rows[index].kind == DetailedRow::Kind::Machine)
            columnLines(layout.tops[index], layout.tops[index + 1]);
    }
    for (const int top : layout.tops)
        painter.fillRect(QRect(0, top - 1, layout.width(), 1), grid);
}

DetailedViewTable::DetailedViewTable(const DetailedViewModel& model, const StatusTable& statuses,
                                     QWidget* parent)
    : QWidget(parent), m_model(model), m_statuses(statuses)
{
    setAttribute(Qt::WA_OpaquePaintEvent);
    relayout();
}

void DetailedViewTable::relayout()
{
    m_layout = DetailedLayout::of(m_model);
    setFixedSize(m_layout.width(), m_layout.height());
    update();
}

void DetailedViewTable::repaintRow(std::size_t row)
{
    update(m_layout.rowRect(row));
}

void DetailedViewTable::paintEvent(QPaintEvent* event)
{
    QPainter painter(this);
    paintDetailedView(painter, m_model, m_layout, m_statuses, event->rect());
}

void DetailedViewTable::mousePressEvent(QMouseEvent* event)
{
    const QPoint at = event->position().toPoint();
    const auto row = m_layout.rowAt(at.y());
    if (!row)
        return;
    const auto cell = m_layout.cellRect(*row, DetailedColumn::Status);
    if (cell && cell->contains(at) && m_model.rows()[*row].kind == DetailedRow::Kind::Machine)
        emit statusClicked(*row);
}

DetailedViewWindow::DetailedViewWindow(const MonitorEnvironment& env, QWidget* owner)
    : QMainWindow(owner, Qt::Window), m_env(env), m_scroll(new QScrollArea(this))
{
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(QString::fromLatin1(kDetailedViewTitle));
    HubLink& link = m_env.link;
    m_model = std::make_unique<DetailedViewModel>(readMonitorList(m_env.workDir), m_env.statuses,
                                                  m_env.viewSettings, link,
                                                  [&link] { return link.now(); });
    m_table = new DetailedViewTable(*m_model, m_env.statuses, m_scroll);
    m_scroll->setWidget(m_table);
    m_scroll->setBackgroundRole(QPalette::Dark);
    m_scroll->verticalScrollBar()->setSingleStep(DetailedLayout::kMachineRowHeight);
    setCentralWidget(m_scroll);
    connect(m_table, &DetailedViewTable::statusClicked, this, &DetailedViewWindow::statusClicked);

    resize(kDefaultWidth, kDefaultHeight);
    if (const auto saved = readDetailedViewPlace(m_env.workDir)) {
        if (saved->rect && saved->rect->hasArea())
            setGeometry(toQRect(*saved->rect));
        m_restoreScroll = QPoint(saved->scroll[0], saved->verticalScroll());
        if (saved->maximized)
            setWindowState(windowState() | Qt::WindowMaximized);
    }

    link.monitoringViewOpened(MonitoringView::Detailed, *this);
    m_registered = true;
    m_model->start();
    connect(&m_timer, &QTimer::timeout, this, &DetailedViewWindow::tick);
    m_timer.start(kTickMs);
}

DetailedViewWindow::~DetailedViewWindow()
{
    unregister();
}

SetMachineStatusDialog* DetailedViewWindow::statusDialog() const
{
    return m_statusDialog;
}

NewPartNumberDialog* DetailedViewWindow::partNumberDialog() const
{
    return m_partNumberDialog;
}

void DetailedViewWindow::unregister()
{
    if (!m_registered)
        return;
    m_registered = false;
    m_env.link.monitoringViewClosed(MonitoringView::Detailed, isMinimized());
}

DetailedViewPlace DetailedViewWindow::place() const
{
    DetailedViewPlace place;
    place.rect = fromQRect(isMaximized() ? normalGeometry() : geometry());
    place.scroll = {m_scroll->horizontalScrollBar()->value(),
                    m_scroll->verticalScrollBar()->singleStep(),
                    m_scroll->verticalScrollBar()->value()};
    place.maximized = isMaximized();
    return place;
}

void DetailedViewWindow::closeEvent(QCloseEvent* event)
{
    // A minimized window keeps the place it had before.
    if (!isMinimized() && !writeDetailedViewPlace(m_env.workDir, place()).ok)
        m_env.notifier.message(std::string(kPlaceFileOpenError));
    m_timer.stop();
    unregister();
    event->accept();
}

void DetailedViewWindow::apply(const DetailedChanges& changes)
{
    if (changes.layout) {
        m_table->relayout();
        if (m_restoreScroll && m_model->rowsBuilt()) {
            m_scroll->horizontalScrollBar()->setValue(m_restoreScroll->x());
            m_scroll->verticalScrollBar()->setValue(m_restoreScroll->y());
            m_restoreScroll.reset();
        }
        return;
    }
    for (const std::size_t row : changes.rows)
        m_table->repaintRow(row);
}

void DetailedViewWindow::datagramArrived(std::string_view bytes)
{
    if (const auto list = parseStatusList(bytes)) {
        if (m_statusRequest && *m_statusRequest == list->slot && m_model->rowOf(list->slot))
            offerStatuses(list->slot, std::move(list->statuses));
        return;
    }
    apply(m_model->datagramArrived(bytes));
}

void DetailedViewWindow::tick()
{
    apply(m_model->tick());
}

void DetailedViewWindow::statusClicked(std::size_t row)
{
    if (row >= m_model->rows().size() || m_model->rows()[row].kind != DetailedRow::Kind::Machine)
        return;
    const MachineSlot slot = m_model->rows()[row].slot;
    if (!statusChangeAllowed(m_model->record(slot).status)) {
        QApplication::beep();
        return;
    }
    m_statusRequest = slot;
    m_env.link.sendMachineRequest(kStatusListRequestWord, slot);
}

void DetailedViewWindow::offerStatuses(MachineSlot slot, std::vector<std::string> statuses)
{
    m_statusRequest.reset();
    // One change at a time: a list that comes while one is open waits for the next click.
    if ((m_statusDialog && m_statusDialog->isVisible()) ||
        (m_partNumberDialog && m_partNumberDialog->isVisible()))
        return;
    const MachineRecord& record = m_model->record(slot);
    m_statusDialog =
        new SetMachineStatusDialog(std::move(statuses), record.status, record.name, this);
    m_statusDialog->setAttribute(Qt::WA_DeleteOnClose);
    SetMachineStatusDialog* dialog = m_statusDialog;
    connect(dialog, &QDialog::accepted, this,
            [this, dialog, slot] { statusChosen(slot, dialog->chosen()); });
    dialog->open();
}

void DetailedViewWindow::statusChosen(MachineSlot slot, const std::string& status)
{
    if (status.empty())
        return;
    if (status != kSetupStatus) {
        m_env.link.sendStatus(slot, status);
        return;
    }
    m_partNumberDialog = new NewPartNumberDialog(m_model->record(slot), m_env.notifier, this);
    m_partNumberDialog->setAttribute(Qt::WA_DeleteOnClose);
    NewPartNumberDialog* dialog = m_partNumberDialog;
    connect(dialog, &QDialog::accepted, this, [this, dialog, slot] {
        const std::optional<ConfirmedSetup>& setup = dialog->setup();
        if (!setup)
            return;
        m_env.link.sendSetup(slot, setup->change);
        if (setup->partNumberChanged)
            m_model->countsRestarted(slot);
        if (const auto row = m_model->rowOf(slot))
            m_table->repaintRow(*row);
    });
    dialog->open();
}

}  // namespace quillon
