// Colour reduction: an optimised palette from the colours of a source image, by box splitting
// over a colour histogram (true-colour sources) or through an octree (palette sources).
#include "palettes.h"
#include "pixelgraphic.h"
#include "pixelgraphicstate.h"

#include <algorithm>
#include <array>
#include <memory>

namespace {

// ---- Box splitting ----

constexpr int kMaxBoxes = 256;

// Histogram cells: 32 levels of red, 64 of green, 32 of blue.
struct Histogram {
    std::vector<std::uint16_t> counts = std::vector<std::uint16_t>(65536, 0);
    std::uint16_t at(int r, int g, int b) const { return counts[std::size_t(r * 2048 + g * 32 + b)]; }
    void add(int red, int green, int blue)
    {
        std::uint16_t& c = counts[std::size_t((red / 8) * 2048 + (green / 4) * 32 + blue / 8)];
        if (c < 65535) // saturates instead of overflowing
            ++c;
    }
};

struct Box {
    int low[3];  // red, green, blue
    int high[3];
    std::int64_t size = 0;  // weighted squared extent
    std::int64_t cells = 0; // cells holding pixels
};

// Whether the plane `channel` = v of the box holds any pixel.
bool planeUsed(const Histogram& h, const Box& box, int channel, int v)
{
    int lo[3] = {box.low[0], box.low[1], box.low[2]};
    int hi[3] = {box.high[0], box.high[1], box.high[2]};
    lo[channel] = hi[channel] = v;
    for (int r = lo[0]; r <= hi[0]; ++r)
        for (int g = lo[1]; g <= hi[1]; ++g)
            for (int b = lo[2]; b <= hi[2]; ++b)
                if (h.at(r, g, b))
                    return true;
    return false;
}

// Moves the bounds inward to the first planes that hold pixels (low red, high red, low green,
// high green, low blue, high blue), then measures the box.
void shrink(const Histogram& h, Box& box)
{
    for (int channel = 0; channel < 3; ++channel) {
        for (int v = box.low[channel]; v <= box.high[channel]; ++v)
            if (planeUsed(h, box, channel, v)) {
                box.low[channel] = v;
                break;
            }
        for (int v = box.high[channel]; v >= box.low[channel]; --v)
            if (planeUsed(h, box, channel, v)) {
                box.high[channel] = v;
                break;
            }
    }
    const std::int64_t red = 16 * (box.high[0] - box.low[0]);
    const std::int64_t green = 12 * (box.high[1] - box.low[1]);
    const std::int64_t blue = 16 * (box.high[2] - box.low[2]);
    box.size = blue * blue + green * green + red * red;
    box.cells = 0;
    for (int r = box.low[0]; r <= box.high[0]; ++r)
        for (int g = box.low[1]; g <= box.high[1]; ++g)
            for (int b = box.low[2]; b <= box.high[2]; ++b)
                if (h.at(r, g, b))
                    ++box.cells;
}

// The box to split next, or none: while there is room for twice the boxes the one with most
// cells, later the largest; only boxes of size 1 or more can be split.
Box* boxToSplit(std::vector<Box>& boxes, int wanted)
{
    const bool byCells = wanted >= 2 * int(boxes.size());
    Box* best = nullptr;
    for (Box& box : boxes) {
        if (box.size < 1)
            continue;
        if (!best || (byCells ? box.cells > best->cells : box.size > best->size))
            best = &box;
    }
    return best;
}

std::vector<Box> splitBoxes(const Histogram& h, int wanted)
{
    std::vector<Box> boxes;
    boxes.reserve(kMaxBoxes);
    boxes.push_back(Box{{0, 0, 0}, {31, 63, 31}});
    shrink(h, boxes[0]);
    while (int(boxes.size()) < wanted) {
        Box* box = boxToSplit(boxes, wanted);
        if (!box)
            break; // nothing left that can be split
        const std::int64_t red = 16 * (box->high[0] - box->low[0]);
        const std::int64_t green = 12 * (box->high[1] - box->low[1]);
        const std::int64_t blue = 16 * (box->high[2] - box->low[2]);
        int axis = 1;
        std::int64_t longest = green;
        if (red > longest) {
            axis = 0;
            longest = red;
        }
        if (blue > longest)
            axis = 2;
        Box upper = *box;
        const int mid = (box->low[axis] + box->high[axis]) / 2;
        box->high[axis] = mid;
        upper.low[axis] = mid + 1;
        shrink(h, *box);
        shrink(h, upper);
        boxes.push_back(upper); // may move the boxes: `box` is not used after this
    }
    return boxes;
}

// The mean colour of a box: each cell weighs its count, at its centre.
TColor boxMean(const Histogram& h, const Box& box)
{
    std::int64_t total = 0, sum[3] = {0, 0, 0};
    for (int r = box.low[0]; r <= box.high[0]; ++r)
        for (int g = box.low[1]; g <= box.high[1]; ++g)
            for (int b = box.low[2]; b <= box.high[2]; ++b) {
                const std::int64_t count = h.at(r, g, b);
                if (!count)
                    continue;
                total += count;
                sum[0] += count * (8 * r + 4);
                sum[1] += count * (4 * g + 2);
                sum[2] += count * (8 * b + 4);
            }
    if (total == 0)
        return 0;
    return RGBColor(int((sum[0] + total / 2) / total), int((sum[1] + total / 2) / total),
                    int((sum[2] + total / 2) / total));
}

// ---- Octree ----

constexpr int kOctreeDepth = 8;

struct Node {
    int level = 0;
    bool leaf = false;
    bool listed = false; // on its level's reducible list
    std::int64_t count = 0;
    std::int64_t sum[3] = {0, 0, 0};
    std::array<std::unique_ptr<Node>, 8> children;
    int childCount = 0;
    std::int64_t weight() const { return 2 * sum[0] + 3 * sum[1] + sum[2]; }
};

class Octree {
public:
    explicit Octree(int wanted) : wanted_(wanted) {}

    void insert(TColor color, std::int64_t weight)
    {
        const int rgb[3] = {RedOf(color), GreenOf(color), BlueOf(color)};
        Node* node = &root_;
        for (;;) {
            node->count += weight;
            for (int k = 0; k < 3; ++k)
                node->sum[k] += rgb[k] * weight;
            if (node->leaf || node->level >= kOctreeDepth)
                break;
            const int bit = 7 - node->level;
            const int index = 4 * ((rgb[0] >> bit) & 1) + 2 * ((rgb[1] >> bit) & 1) + ((rgb[2] >> bit) & 1);
            std::unique_ptr<Node>& child = node->children[std::size_t(index)];
            if (!child) {
                child = std::make_unique<Node>();
                child->level = node->level + 1;
                child->leaf = child->level >= leafLevel_;
                if (child->leaf)
                    ++leafCount_;
                ++node->childCount;
            } else if (node->childCount > 1 && !node->listed) {
                reducible_[std::size_t(node->level)].insert(reducible_[std::size_t(node->level)].begin(), node);
                node->listed = true;
            }
            node = child.get();
        }
        if (leafCount_ > wanted_)
            reduce();
    }

    int leafCount() const { return leafCount_; }

    // Leaves depth first, children in order 0..7.
    void collect(std::vector<TColor>& colors) const { collect(root_, colors); }

private:
    void reduce()
    {
        Node* chosen = nullptr;
        for (int level = leafLevel_ - 1; level >= 0 && !chosen; --level)
            for (Node* node : reducible_[std::size_t(level)])
                if (!chosen || node->weight() < chosen->weight())
                    chosen = node;
        if (!chosen)
            chosen = deepestBranch(); // no node listed yet: every insertion opened a new branch
        if (!chosen)
            return;
        unlist(chosen);
        for (auto& child : chosen->children)
            release(child);
        chosen->childCount = 0;
        chosen->leaf = true;
        ++leafCount_;
        leafLevel_ = std::min(leafLevel_, chosen->level + 1);
    }

    // The deepest node with more than one child (the first such depth first, lightest on ties).
    Node* deepestBranch()
    {
        Node* best = nullptr;
        std::vector<Node*> stack{&root_};
        while (!stack.empty()) {
            Node* node = stack.back();
            stack.pop_back();
            if (node->leaf)
                continue;
            if (node->childCount > 1
                && (!best || node->level > best->level
                    || (node->level == best->level && node->weight() < best->weight())))
                best = node;
            for (int i = 7; i >= 0; --i)
                if (node->children[std::size_t(i)])
                    stack.push_back(node->children[std::size_t(i)].get());
        }
        return best;
    }

    void unlist(Node* node)
    {
        if (!node->listed)
            return;
        auto& list = reducible_[std::size_t(node->level)];
        list.erase(std::find(list.begin(), list.end(), node));
        node->listed = false;
    }

    // Frees a subtree; no list keeps a pointer into it.
    void release(std::unique_ptr<Node>& node)
    {
        if (!node)
            return;
        for (auto& child : node->children)
            release(child);
        unlist(node.get());
        if (node->leaf)
            --leafCount_;
        node.reset();
    }

    static void collect(const Node& node, std::vector<TColor>& colors)
    {
        if (node.leaf) {
            const std::int64_t n = std::max<std::int64_t>(node.count, 1);
            colors.push_back(RGBColor(int(node.sum[0] / n), int(node.sum[1] / n), int(node.sum[2] / n)));
            return;
        }
        for (const auto& child : node.children)
            if (child)
                collect(*child, colors);
    }

    int wanted_;
    Node root_;
    int leafLevel_ = kOctreeDepth;
    int leafCount_ = 0;
    std::array<std::vector<Node*>, kOctreeDepth> reducible_;
};

} // namespace

void TPixelGraphic::ReduceColorsFrom(TPixelGraphic& Source, int Count, bool AddSystemColors)
{
    ensureFlushed();
    Source.ensureFlushed();
    const int wanted = AddSystemColors ? Count - 16 : Count;
    if (Source.width_ <= 0 || Source.height_ <= 0 || !Source.pixels_ || wanted <= 0) {
        SetPaletteIdent(pSys16);
        SetPaletteCount(std::clamp(Count, 0, 16));
        return;
    }
    if (Source.bitCountNum_ == bcn24Bit)
        reduceByBoxes(Source, std::min(wanted, kMaxBoxes));
    else
        reduceByOctree(Source, wanted);
    if (AddSystemColors) {
        const auto system = Sys16Palette();
        const int room = std::min(Count, 256); // a palette holds 256 entries at most
        for (int i = 0; i < 16 && PaletteCount() < room; ++i) {
            SetPaletteCount(PaletteCount() + 1);
            SetPaletteEntry(PaletteCount() - 1, system[std::size_t(i)]);
        }
    }
}

void TPixelGraphic::reduceByBoxes(TPixelGraphic& Source, int Count)
{
    SetPaletteCount(0);
    Histogram histogram;
    for (int y = 0; y < Source.height_; ++y) {
        const std::uint8_t* p = Source.rowAddress(y);
        for (int x = 0; x < Source.width_; ++x, p += 3)
            histogram.add(p[2], p[1], p[0]);
        if (Progress(y, Source.height_ - 1))
            break; // go on with what was counted
    }
    const std::vector<Box> boxes = splitBoxes(histogram, Count);
    SetPaletteCount(int(boxes.size()));
    for (std::size_t i = 0; i < boxes.size(); ++i)
        SetPaletteEntry(int(i), boxMean(histogram, boxes[i]));
}

void TPixelGraphic::reduceByOctree(TPixelGraphic& Source, int Count)
{
    // The source's colours are taken before the palette is emptied: the source may be this image.
    std::array<TColor, 256> colors;
    for (std::uint32_t i = 0; i < 256; ++i)
        colors[i] = Source.PaletteColor(i);
    const std::uint32_t paletteCount = std::uint32_t(Source.PaletteCount());
    SetPaletteCount(0);
    std::array<std::int64_t, 256> uses{};
    for (int y = 0; y < Source.height_; ++y) {
        for (int x = 0; x < Source.width_; ++x) {
            const std::uint32_t index = Source.readPixel(x, y);
            ++uses[index < paletteCount ? index : 0]; // past the palette: entry 0
        }
        if (Progress(y, Source.height_ - 1))
            break;
    }
    Octree tree(Count);
    for (std::size_t i = 0; i < 256; ++i)
        if (uses[i] > 0)
            tree.insert(colors[i], uses[i]);
    std::vector<TColor> palette;
    tree.collect(palette);
    SetPaletteCount(int(palette.size()));
    for (std::size_t i = 0; i < palette.size(); ++i)
        SetPaletteEntry(int(i), palette[i]);
}
