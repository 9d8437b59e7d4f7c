#include "output/PageFlow.h"

#include <algorithm>
#include <limits>

namespace output {

PageFlow::PageFlow(int spacing, int top, int bottom, int pageHeight, PageRange range)
    : m_spacing(spacing)
    , m_top(top)
    , m_threshold(static_cast<long long>(pageHeight) - bottom)
    , m_range(range)
    , m_y(top)
{
}

LinePlacement PageFlow::next(int lineHeight)
{
    LinePlacement line;
    line.sheetPage = m_page;
    bool mayContinue = true;
    if (m_range.pageNumbers) {
        line.drawn = m_range.from <= m_page && m_page <= m_range.to;
        mayContinue = m_page != m_range.to;
    }
    line.y = static_cast<int>(std::clamp<long long>(m_y + m_spacing, std::numeric_limits<int>::min(),
                                                     std::numeric_limits<int>::max()));
    m_y += lineHeight + m_spacing;
    if (m_y > m_threshold) {
        m_y = m_top;
        line.newPageAfter = line.drawn && mayContinue;
        ++m_page;
    }
    return line;
}

} // namespace output
