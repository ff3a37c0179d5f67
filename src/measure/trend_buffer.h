#pragma once

#include <QtGlobal>

#include <cstddef>
#include <vector>

// One reading on the trend, or the lack of one: a poll without a valid
// reading, or a port that was away, breaks the line there.
struct TrendPoint {
    qint64 time = 0; // steady milliseconds
    double ppm = 0; // the averaged concentration
    bool sample = false; // taken by a calibration run
    bool gap = false; // no reading at this time; ppm and sample mean nothing
};

// The readings of the recent past, oldest first. A reading older than the
// kept age (counted back from the newest) is dropped, and so is the oldest
// one when the ring is full: the memory is fixed when the buffer is made,
// however long the program runs. Readings come in time order.
class TrendBuffer {
public:
    TrendBuffer(qint64 keptMilliseconds, std::size_t capacity);

    void add(const TrendPoint &point);
    // A break in the readings at `time`. Only the first of several in a row
    // is kept, and none before the first reading: a link that stays down
    // costs no memory.
    void addGap(qint64 time);
    void clear();

    std::size_t size() const { return m_size; }
    std::size_t capacity() const { return m_ring.size(); }
    bool isEmpty() const { return m_size == 0; }
    // 0 is the oldest.
    const TrendPoint &at(std::size_t index) const;
    // The index of the first reading at `time` or later (size() if none).
    std::size_t firstFrom(qint64 time) const;

private:
    std::vector<TrendPoint> m_ring;
    std::size_t m_oldest = 0;
    std::size_t m_size = 0;
    qint64 m_kept;
};
