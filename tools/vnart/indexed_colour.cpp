#include "indexed_colour.hpp"

#include <algorithm>
#include <array>
#include <cstdint>
#include <limits>
#include <unordered_map>
#include <vector>

namespace vnart {

namespace {

constexpr std::size_t palette_size = 256;

struct colour_count {
    QRgb colour;
    std::int64_t count;
};

int channel(QRgb colour, int which) {
    return which == 0 ? qRed(colour) : which == 1 ? qGreen(colour) : qBlue(colour);
}

// A box of the median cut: a range of the histogram.
struct box {
    std::size_t begin;
    std::size_t end;
};

// The channel with the widest spread in the box, and that spread.
std::pair<int, int> widest_channel(const std::vector<colour_count>& colours, const box& b) {
    std::array<int, 3> low{255, 255, 255};
    std::array<int, 3> high{0, 0, 0};
    for (std::size_t i = b.begin; i < b.end; ++i) {
        for (int c = 0; c < 3; ++c) {
            low[c] = std::min(low[c], channel(colours[i].colour, c));
            high[c] = std::max(high[c], channel(colours[i].colour, c));
        }
    }
    int best = 0;
    for (int c = 1; c < 3; ++c) {
        if (high[c] - low[c] > high[best] - low[best]) {
            best = c;
        }
    }
    return {best, high[best] - low[best]};
}

QRgb average(const std::vector<colour_count>& colours, const box& b) {
    std::array<std::int64_t, 3> sum{};
    std::int64_t weight = 0;
    for (std::size_t i = b.begin; i < b.end; ++i) {
        for (int c = 0; c < 3; ++c) {
            sum[c] += channel(colours[i].colour, c) * colours[i].count;
        }
        weight += colours[i].count;
    }
    return qRgb(static_cast<int>((sum[0] + weight / 2) / weight), static_cast<int>((sum[1] + weight / 2) / weight),
                static_cast<int>((sum[2] + weight / 2) / weight));
}

QList<QRgb> median_cut(std::vector<colour_count>& colours) {
    std::vector<box> boxes{{0, colours.size()}};
    while (boxes.size() < palette_size) {
        // Split the box whose colours spread widest; boxes of one colour cannot be split.
        std::size_t chosen = boxes.size();
        int chosen_channel = 0;
        int widest = 0;
        for (std::size_t i = 0; i < boxes.size(); ++i) {
            if (boxes[i].end - boxes[i].begin < 2) {
                continue;
            }
            const auto [which, spread] = widest_channel(colours, boxes[i]);
            if (spread > widest) {
                chosen = i;
                chosen_channel = which;
                widest = spread;
            }
        }
        if (chosen == boxes.size()) {
            break;
        }
        const box b = boxes[chosen];
        const auto first = colours.begin() + static_cast<std::ptrdiff_t>(b.begin);
        const auto last = colours.begin() + static_cast<std::ptrdiff_t>(b.end);
        std::sort(first, last, [c = chosen_channel](const colour_count& x, const colour_count& y) {
            return channel(x.colour, c) < channel(y.colour, c);
        });
        // Cut at the weighted median, keeping at least one colour on each side.
        std::int64_t total = 0;
        for (auto it = first; it != last; ++it) {
            total += it->count;
        }
        std::int64_t running = 0;
        std::size_t cut = b.begin + 1;
        for (std::size_t i = b.begin; i + 1 < b.end; ++i) {
            running += colours[i].count;
            cut = i + 1;
            if (2 * running >= total) {
                break;
            }
        }
        boxes[chosen] = {b.begin, cut};
        boxes.push_back({cut, b.end});
    }
    QList<QRgb> table;
    for (const box& b : boxes) {
        table.push_back(average(colours, b));
    }
    return table;
}

int nearest(const QList<QRgb>& table, QRgb colour) {
    int best = 0;
    int best_distance = std::numeric_limits<int>::max();
    for (int i = 0; i < table.size(); ++i) {
        const int dr = qRed(table[i]) - qRed(colour);
        const int dg = qGreen(table[i]) - qGreen(colour);
        const int db = qBlue(table[i]) - qBlue(colour);
        const int distance = dr * dr + dg * dg + db * db;
        if (distance < best_distance) {
            best = i;
            best_distance = distance;
        }
    }
    return best;
}

}  // namespace

QImage to_indexed8(const QImage& image) {
    const QImage source = image.convertToFormat(QImage::Format_RGB32);
    std::unordered_map<QRgb, std::int64_t> histogram;
    for (int y = 0; y < source.height(); ++y) {
        const auto* row = reinterpret_cast<const QRgb*>(source.constScanLine(y));
        for (int x = 0; x < source.width(); ++x) {
            ++histogram[row[x] | 0xFF000000u];
        }
    }
    std::vector<colour_count> colours;
    colours.reserve(histogram.size());
    for (const auto& [colour, count] : histogram) {
        colours.push_back({colour, count});
    }
    // A fixed order makes the palette the same from one build to the next.
    std::sort(colours.begin(), colours.end(),
              [](const colour_count& a, const colour_count& b) { return a.colour < b.colour; });
    const QList<QRgb> table = median_cut(colours);

    std::unordered_map<QRgb, int> index_of;
    QImage out(source.size(), QImage::Format_Indexed8);
    out.setColorTable(table);
    for (int y = 0; y < source.height(); ++y) {
        const auto* row = reinterpret_cast<const QRgb*>(source.constScanLine(y));
        uchar* indices = out.scanLine(y);
        for (int x = 0; x < source.width(); ++x) {
            const QRgb colour = row[x] | 0xFF000000u;
            auto found = index_of.find(colour);
            if (found == index_of.end()) {
                found = index_of.emplace(colour, nearest(table, colour)).first;
            }
            indices[x] = static_cast<uchar>(found->second);
        }
    }
    return out;
}

}  // namespace vnart
