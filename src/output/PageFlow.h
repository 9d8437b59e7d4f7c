#pragma once
// The vertical flow of sheet lines on paper: where each line goes, when a page ends, and which
// sheet pages a page range puts into the job. Plain numbers in, plain numbers out.

namespace output {

/// The pages a print job is to hold.
struct PageRange
{
    bool pageNumbers = false; ///< false: all pages
    int from = 1;
    int to = 25;
};

/// Where one line goes.
struct LinePlacement
{
    int sheetPage = 1;       ///< the sheet page the line is set on, from 1
    int y = 0;               ///< top of the line's text cell (clamped to the int range)
    bool drawn = true;       ///< the line's page belongs to the job
    bool newPageAfter = false; ///< a new page of the job begins after this line
};

/// Lines flowing down pages of `pageHeight` device pixels: each line sits `spacing` below the
/// current position; after a line, a position below pageHeight − bottom starts the next sheet
/// page at `top`. With a page range, lines of pages outside it are laid out but not drawn, and
/// no page is begun after the last page of the range.
class PageFlow
{
public:
    PageFlow(int spacing, int top, int bottom, int pageHeight, PageRange range = {});

    /// Places the next line, whose text is `lineHeight` pixels high.
    LinePlacement next(int lineHeight);

    /// The current position.
    long long y() const { return m_y; }

private:
    // 64-bit: the settings may hold any 32-bit number, and sums of them must not wrap.
    long long m_spacing;
    long long m_top;
    long long m_threshold;
    PageRange m_range;
    long long m_y;
    int m_page = 1;
};

} // namespace output
