#pragma once
// Text flowing down the pages of a PDF: paragraphs and table rows measured on the writer's own
// metrics, a new page whenever the next block does not fit (a table's header row repeated on
// it), then painted page by page with a footer that knows the number of pages.

#include <QColor>
#include <QFont>
#include <QRectF>
#include <QString>

#include <functional>
#include <utility>
#include <vector>

class QPainter;
class QPdfWriter;

namespace pv {

class PdfFlow
{
public:
    enum class Style { Title, Heading, Body, Caption, Note, Mono, Pending, Absent, Footer };
    // A cell of a row: from left, this wide (millimetres from the body's left edge).
    struct Cell
    {
        qreal left = 0;
        qreal width = 0;
        QString text;
        Style style = Style::Body;
        // Hexadecimal digits and keys break anywhere; words only between words.
        bool breakAnywhere = false;
    };
    // The footer of a page, page from 1 of pages: the text at its left and at its right.
    using Footer = std::function<std::pair<QString, QString>(int page, int pages)>;

    // Lays out on the writer's metrics and resolution, inside the A4 margins of pdf_flow.cpp.
    // family is the font of every style but Mono, which monoFamily sets.
    PdfFlow(QPdfWriter &writer, const QString &family, const QString &monoFamily);

    qreal BodyWidthMm() const { return bodyWidthMm_; }
    void Paragraph(const QString &text, Style style, qreal indentMm = 0);
    void Row(const std::vector<Cell> &cells);
    void Space(qreal mm);
    // A new page first unless this much room is left.
    void KeepRoom(qreal mm);
    // A line across part of the body at the flow's place, for a signature.
    void Rule(qreal leftMm, qreal widthMm);
    // A header row repeated at the top of every page the table runs onto; empty: none.
    void RepeatOnNewPage(std::vector<Cell> header) { header_ = std::move(header); }

    // Paints every page onto the writer; false when the painter could not start on it.
    bool Paint(const Footer &footer);

private:
    struct Item
    {
        QRectF rect; // device units
        QString text;
        Style style = Style::Body;
        int flags = 0;
        bool rule = false;
    };

    qreal Mm(qreal mm) const;
    QFont FontOf(Style style) const;
    static QColor ColorOf(Style style);
    qreal HeightOf(const Cell &cell) const;
    void NewPage();
    void Place(const std::vector<Cell> &cells, qreal height);

    QPdfWriter &writer_;
    QString family_, monoFamily_;
    qreal dotsPerMm_ = 0;
    qreal bodyWidthMm_ = 0;
    qreal top_ = 0, bottom_ = 0, left_ = 0; // device units
    qreal y_ = 0;
    std::vector<std::vector<Item>> pages_;
    std::vector<Cell> header_;
};

} // namespace pv
