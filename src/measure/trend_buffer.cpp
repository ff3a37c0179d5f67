#include "trend_buffer.h"

#include <algorithm>
#include <cassert>

TrendBuffer::TrendBuffer(qint64 keptMilliseconds, std::size_t capacity)
    : m_ring(std::max<std::size_t>(capacity, 1)), m_kept(keptMilliseconds)
{
}

void TrendBuffer::add(const TrendPoint &point)
{
    if (m_size == m_ring.size()) {
        m_oldest = (m_oldest + 1) % m_ring.size();
        --m_size;
    }
    m_ring[(m_oldest + m_size) % m_ring.size()] = point;
    ++m_size;
    while (m_size > 1 && at(0).time < point.time - m_kept) {
        m_oldest = (m_oldest + 1) % m_ring.size();
        --m_size;
    }
}

void TrendBuffer::addGap(qint64 time)
{
    if (m_size > 0 && !at(m_size - 1).gap)
        add({time, 0, false, true});
}

void TrendBuffer::clear()
{
    m_oldest = 0;
    m_size = 0;
}

const TrendPoint &TrendBuffer::at(std::size_t index) const
{
    assert(index < m_size);
    return m_ring[(m_oldest + index) % m_ring.size()];
}

std::size_t TrendBuffer::firstFrom(qint64 time) const
{
    std::size_t low = 0;
    std::size_t high = m_size;
    while (low < high) {
        const std::size_t middle = low + (high - low) / 2;
        if (at(middle).time < time)
            low = middle + 1;
        else
            high = middle;
    }
    return low;
}
