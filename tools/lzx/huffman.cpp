#include "lzx/huffman.h"

#include <algorithm>
#include <functional>
#include <queue>
#include <utility>

namespace vantrel::lzx {
namespace {

// Plain Huffman lengths for the symbols that occur; no limit on the length.
std::vector<std::uint8_t> UnlimitedLengths(const std::vector<std::uint32_t>& frequencies) {
    struct Node {
        std::uint64_t weight;
        int left;
        int right;
    };
    std::vector<Node> nodes;
    using Entry = std::pair<std::uint64_t, int>;  // weight, node index
    std::priority_queue<Entry, std::vector<Entry>, std::greater<>> queue;
    for (std::size_t symbol = 0; symbol < frequencies.size(); ++symbol) {
        if (frequencies[symbol] > 0) {
            nodes.push_back({frequencies[symbol], -1, static_cast<int>(symbol)});
            queue.push({frequencies[symbol], static_cast<int>(nodes.size() - 1)});
        }
    }
    while (queue.size() > 1) {
        const auto [leftWeight, left] = queue.top();
        queue.pop();
        const auto [rightWeight, right] = queue.top();
        queue.pop();
        nodes.push_back({leftWeight + rightWeight, left, right});
        queue.push({leftWeight + rightWeight, static_cast<int>(nodes.size() - 1)});
    }

    std::vector<std::uint8_t> lengths(frequencies.size(), 0);
    // Leaves carry left == -1 and their symbol in `right`; walk down from the root.
    std::vector<std::pair<int, unsigned>> pending = {{static_cast<int>(nodes.size() - 1), 0}};
    while (!pending.empty()) {
        const auto [index, depth] = pending.back();
        pending.pop_back();
        const Node& node = nodes[static_cast<std::size_t>(index)];
        if (node.left < 0) {
            lengths[static_cast<std::size_t>(node.right)] = static_cast<std::uint8_t>(depth);
        } else {
            pending.push_back({node.left, depth + 1});
            pending.push_back({node.right, depth + 1});
        }
    }
    return lengths;
}

// Gives unused symbols a count of one until at least two occur.
void EnsureTwoSymbols(std::vector<std::uint32_t>& frequencies) {
    auto used = std::count_if(frequencies.begin(), frequencies.end(),
                              [](std::uint32_t count) { return count > 0; });
    for (std::size_t symbol = 0; used < 2 && symbol < frequencies.size(); ++symbol) {
        if (frequencies[symbol] == 0) {
            frequencies[symbol] = 1;
            ++used;
        }
    }
}

}  // namespace

std::vector<std::uint8_t> CodeLengths(std::vector<std::uint32_t> frequencies, unsigned maxLength) {
    EnsureTwoSymbols(frequencies);
    for (;;) {
        auto lengths = UnlimitedLengths(frequencies);
        if (*std::max_element(lengths.begin(), lengths.end()) <= maxLength) {
            return lengths;
        }
        // Flattening the counts shortens the longest codes; a few rounds always suffice.
        for (auto& count : frequencies) {
            if (count > 0) {
                count = (count + 1) / 2;
            }
        }
    }
}

std::vector<std::uint32_t> CanonicalCodes(const std::vector<std::uint8_t>& lengths) {
    std::vector<std::uint32_t> codes(lengths.size(), 0);
    std::uint32_t next = 0;
    const unsigned longest = *std::max_element(lengths.begin(), lengths.end());
    for (unsigned length = 1; length <= longest; ++length) {
        for (std::size_t symbol = 0; symbol < lengths.size(); ++symbol) {
            if (lengths[symbol] == length) {
                codes[symbol] = next++;
            }
        }
        next <<= 1;
    }
    return codes;
}

}  // namespace vantrel::lzx
