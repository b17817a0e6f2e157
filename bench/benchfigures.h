#pragma once

#include <algorithm>
#include <QElapsedTimer>
#include <QList>
#include <QString>
#include <QTextStream>

// The q-quantile of the values, interpolated linearly between the closest ranks; 0 for none.
inline double quantile(QList<double> values, double q)
{
    if (values.isEmpty())
        return 0;
    std::sort(values.begin(), values.end());
    const double at = q * double(values.size() - 1);
    const qsizetype below = qsizetype(at);
    const qsizetype above = std::min(below + 1, values.size() - 1);
    return values.at(below) + (values.at(above) - values.at(below)) * (at - double(below));
}

inline double median(const QList<double> &values)
{
    return quantile(values, 0.5);
}

// Timed samples of one figure; a figure is reported by its median, with the range beside it.
struct Samples
{
    QList<double> ms;

    void add(const QElapsedTimer &timer) { ms.append(double(timer.nsecsElapsed()) / 1e6); }
    double median() const { return ::median(ms); }
    double min() const { return ms.isEmpty() ? 0.0 : *std::min_element(ms.begin(), ms.end()); }
    double max() const { return ms.isEmpty() ? 0.0 : *std::max_element(ms.begin(), ms.end()); }
};

// One line per figure: its median and range, where a floor was measured in the same run the
// ratio to that floor, and where there is a goal (above 0) whether it is met.
inline void printFigure(QTextStream &out, const QString &name, const Samples &samples,
                        double goalMs = 0, const Samples *floor = nullptr)
{
    out << name << ": median " << QString::number(samples.median(), 'f', 2) << " ms ("
        << QString::number(samples.min(), 'f', 2) << " to "
        << QString::number(samples.max(), 'f', 2) << ", " << samples.ms.size() << " runs)";
    if (floor && floor->median() > 0) {
        out << ", ratio " << QString::number(samples.median() / floor->median(), 'f', 2)
            << " to the floor of " << QString::number(floor->median(), 'f', 2) << " ms";
    }
    if (goalMs > 0)
        out << "; goal <= " << goalMs << " ms: " << (samples.median() <= goalMs ? "met" : "MISSED");
    out << Qt::endl;
}
