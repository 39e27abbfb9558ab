#pragma once
// The work lists: singly linked, in insertion order, always ending in one
// sentinel node that carries no content. Entry n is found by walking n links
// from the head, so a list and the controls filled in the same order agree
// position for position. Removal is constant time: the successor's content
// moves into the removed node and the successor's node goes.

#include <cstddef>
#include <memory>
#include <string>
#include <utility>

#include "worklists/bitmap.h"
#include "worklists/image_format.h"

namespace kararisu {

// PaletteOrigin: also the index of the origin glyph (前, 後, 外).
enum class PaletteOrigin : int { SourceImage = 6, ResultImage = 7, PaletteFile = 8 };

struct ImageEntry {
    // Never changed once in a list. A target shares its source's pixels (it
    // is only read); a result owns a bitmap nobody else holds.
    std::shared_ptr<const Bitmap> bitmap;
    std::string path;
    int depth = 0;  // DepthCode of the bitmap
    // The format of the file a source came from, which its results are
    // saved in unless the user chooses another; BMP for merge results.
    ImageFormat format = ImageFormat::Bmp;
    // A result's: the image it was reduced from, shared with the source
    // entry (and kept when that is deleted); none for other entries and for
    // merged palettes.
    std::shared_ptr<const Bitmap> source{};
};

struct PaletteEntry {
    // Shared with the image it came from (origins 6, 7), so the reference can
    // never outlive the palette it names.
    std::shared_ptr<const Palette> palette;
    std::string label;
    int depth = 0;
    PaletteOrigin origin = PaletteOrigin::SourceImage;
};

// An image entry over its own bitmap, its DepthCode derived from it.
inline ImageEntry makeImageEntry(const std::string& path, Bitmap bitmap,
                                 ImageFormat format = ImageFormat::Bmp) {
    const int depth = depthCode(bitmap.format());
    return ImageEntry{std::make_shared<const Bitmap>(std::move(bitmap)), path, depth, format};
}

template <typename Entry>
class WorkList {
    struct Node {
        Entry content;
        std::unique_ptr<Node> link;  // the successor, or the sentinel
    };

  public:
    WorkList() : head_(std::make_unique<Node>()), tail_(head_.get()) {}
    ~WorkList() { clear(); }
    WorkList(const WorkList&) = delete;
    WorkList& operator=(const WorkList&) = delete;

    int size() const { return size_; }
    bool empty() const { return size_ == 0; }

    // Entry n (0 <= n < size()): n links from the head.
    Entry& at(int n) { return nodeAt(n)->content; }
    const Entry& at(int n) const { return nodeAt(n)->content; }

    Entry& addAtHead(Entry content) {
        auto node = std::make_unique<Node>(Node{std::move(content), std::move(head_)});
        head_ = std::move(node);
        ++size_;
        return head_->content;
    }

    // The old sentinel takes the content; a new sentinel follows it.
    Entry& addAtTail(Entry content) {
        Node* filled = tail_;
        filled->content = std::move(content);
        filled->link = std::make_unique<Node>();
        tail_ = filled->link.get();
        ++size_;
        return filled->content;
    }

    // The first entry of an empty list goes in at the head, every later one
    // at the tail: the list keeps the order entries were added in.
    Entry& append(Entry content) {
        return empty() ? addAtHead(std::move(content)) : addAtTail(std::move(content));
    }

    void removeAt(int n) {
        if (n < 0 || n >= size_) return;
        Node* e = nodeAt(n);
        if (e == head_.get()) {
            head_ = std::move(e->link);
        } else if (e->link.get() == tail_) {
            // The last entry becomes the sentinel.
            e->content = Entry{};
            e->link.reset();
            tail_ = e;
        } else {
            Node* next = e->link.get();
            e->content = std::move(next->content);
            e->link = std::move(next->link);  // frees the successor's node
        }
        --size_;
    }

    // Empties the list node by node (no deep recursion of destructors).
    void clear() {
        while (head_.get() != tail_) head_ = std::move(head_->link);
        size_ = 0;
    }

    template <typename Visit>
    void forEach(Visit visit) const {
        int i = 0;
        for (const Node* e = head_.get(); e != tail_; e = e->link.get()) visit(i++, e->content);
    }

  private:
    Node* nodeAt(int n) const {
        Node* e = head_.get();
        for (int i = 0; i < n && e != tail_; ++i) e = e->link.get();
        return e;
    }

    std::unique_ptr<Node> head_;
    Node* tail_;  // always the sentinel
    int size_ = 0;
};

}  // namespace kararisu
