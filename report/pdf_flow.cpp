#include "pdf_flow.h"

#include <QFontMetricsF>
#include <QPageLayout>
#include <QPainter>
#include <QPdfWriter>

#include <algorithm>

namespace pv {

namespace {

constexpr qreal MmPerInch = 25.4;
// A4 with room for punching on the left and the footer below.
constexpr qreal LeftMarginMm = 20;
constexpr qreal RightMarginMm = 15;
constexpr qreal TopMarginMm = 15;
constexpr qreal BottomMarginMm = 20;
constexpr qreal FooterFromBottomMm = 10;
// The space below a row, so rows of small text do not touch.
constexpr qreal RowGapMm = 0.8;
constexpr qreal RuleWidthMm = 0.25;

struct StyleFace
{
    qreal points;
    bool bold;
    bool italic;
};

StyleFace FaceOf(PdfFlow::Style style)
{
    switch (style) {
    case PdfFlow::Style::Title:
        return {16, true, false};
    case PdfFlow::Style::Heading:
        return {11, true, false};
    case PdfFlow::Style::Caption:
        return {8.5, true, false};
    case PdfFlow::Style::Note:
        return {8, false, true};
    case PdfFlow::Style::Mono:
        return {8, false, false};
    case PdfFlow::Style::Pending:
        return {8.5, true, false};
    case PdfFlow::Style::Absent:
        return {8.5, false, true};
    case PdfFlow::Style::Footer:
        return {7.5, false, false};
    case PdfFlow::Style::Body:
        break;
    }
    return {8.5, false, false};
}

} // namespace

PdfFlow::PdfFlow(QPdfWriter &writer, const QString &family, const QString &monoFamily)
    : writer_(writer), family_(family), monoFamily_(monoFamily)
{
    dotsPerMm_ = writer_.resolution() / MmPerInch;
    const QSizeF page = writer_.pageLayout().fullRectPixels(writer_.resolution()).size();
    bodyWidthMm_ = page.width() / dotsPerMm_ - LeftMarginMm - RightMarginMm;
    left_ = Mm(LeftMarginMm);
    top_ = Mm(TopMarginMm);
    bottom_ = page.height() - Mm(BottomMarginMm);
    pages_.emplace_back();
    y_ = top_;
}

qreal PdfFlow::Mm(qreal mm) const
{
    return mm * dotsPerMm_;
}

QFont PdfFlow::FontOf(Style style) const
{
    const StyleFace face = FaceOf(style);
    QFont font(style == Style::Mono ? monoFamily_ : family_);
    font.setPointSizeF(face.points);
    font.setBold(face.bold);
    font.setItalic(face.italic);
    return font;
}

QColor PdfFlow::ColorOf(Style style)
{
    switch (style) {
    case Style::Pending:
        return QColor(0xB0, 0x10, 0x10);
    case Style::Absent:
    case Style::Note:
    case Style::Footer:
        return QColor(0x50, 0x50, 0x50);
    default:
        return Qt::black;
    }
}

qreal PdfFlow::HeightOf(const Cell &cell) const
{
    const QFontMetricsF metrics(FontOf(cell.style), &writer_);
    const int flags = Qt::AlignLeft | Qt::AlignTop
                      | (cell.breakAnywhere ? Qt::TextWrapAnywhere : Qt::TextWordWrap);
    const QRectF room(0, 0, Mm(cell.width), bottom_);
    return std::max(metrics.boundingRect(room, flags, cell.text).height(), metrics.height());
}

void PdfFlow::NewPage()
{
    pages_.emplace_back();
    y_ = top_;
    if (!header_.empty()) {
        qreal height = 0;
        for (const Cell &cell : header_)
            height = std::max(height, HeightOf(cell));
        Place(header_, height);
    }
}

void PdfFlow::Place(const std::vector<Cell> &cells, qreal height)
{
    for (const Cell &cell : cells) {
        const int flags = Qt::AlignLeft | Qt::AlignTop
                          | (cell.breakAnywhere ? Qt::TextWrapAnywhere : Qt::TextWordWrap);
        pages_.back().push_back({QRectF(left_ + Mm(cell.left), y_, Mm(cell.width), height),
                                 cell.text, cell.style, flags, false});
    }
    y_ += height + Mm(RowGapMm);
}

void PdfFlow::Paragraph(const QString &text, Style style, qreal indentMm)
{
    Row({{indentMm, bodyWidthMm_ - indentMm, text, style}});
}

void PdfFlow::Row(const std::vector<Cell> &cells)
{
    qreal height = 0;
    for (const Cell &cell : cells)
        height = std::max(height, HeightOf(cell));
    // A row taller than a page is placed all the same, and cut by the page's edge.
    if (y_ + height > bottom_ && y_ > top_)
        NewPage();
    Place(cells, height);
}

void PdfFlow::Space(qreal mm)
{
    y_ += Mm(mm);
}

void PdfFlow::KeepRoom(qreal mm)
{
    if (y_ + Mm(mm) > bottom_)
        NewPage();
}

void PdfFlow::Rule(qreal leftMm, qreal widthMm)
{
    pages_.back().push_back(
        {QRectF(left_ + Mm(leftMm), y_, Mm(widthMm), 0), {}, Style::Body, 0, true});
}

bool PdfFlow::Paint(const Footer &footer)
{
    QPainter painter;
    if (!painter.begin(&writer_))
        return false;
    const int pages = static_cast<int>(pages_.size());
    const qreal footerTop = bottom_ + Mm(BottomMarginMm - FooterFromBottomMm);
    for (int page = 0; page < pages; ++page) {
        if (page > 0)
            writer_.newPage();
        for (const Item &item : pages_[static_cast<std::size_t>(page)]) {
            if (item.rule) {
                painter.setPen(QPen(Qt::black, Mm(RuleWidthMm)));
                painter.drawLine(item.rect.topLeft(), item.rect.topRight());
                continue;
            }
            painter.setFont(FontOf(item.style));
            painter.setPen(ColorOf(item.style));
            painter.drawText(item.rect, item.flags, item.text);
        }
        painter.setFont(FontOf(Style::Footer));
        painter.setPen(ColorOf(Style::Footer));
        const auto [atLeft, atRight] = footer(page + 1, pages);
        const QRectF room(left_, footerTop, Mm(bodyWidthMm_), Mm(FooterFromBottomMm));
        painter.drawText(room, Qt::AlignLeft | Qt::AlignTop, atLeft);
        painter.drawText(room, Qt::AlignRight | Qt::AlignTop, atRight);
    }
    return painter.end();
}

} // namespace pv
