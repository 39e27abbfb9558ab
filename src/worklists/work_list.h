#pragma once
// The work lists: singly linked, in insertion order, always ending in one
// sentinel entry that carries no content. Removal is constant time: the
// successor's content moves into the removed entry.

#include <memory>
#include <string>

#include "worklists/bitmap.h"

namespace kararisu {

// PaletteOrigin: also the index of the origin glyph (前, 後, 外).
enum class PaletteOrigin : int { SourceImage = 6, ResultImage = 7, PaletteFile = 8 };

struct ImageEntry {
    std::unique_ptr<Bitmap> bitmap;
    std::string path;
    int depth = 0;  // DepthCode of the bitmap
    ImageEntry* link = nullptr;
};

struct PaletteEntry {
    // Shared with the image it came from (origins 6, 7), so the reference can
    // never outlive the palette it names.
    std::shared_ptr<const Palette> palette;
    std::string label;
    int depth = 0;
    PaletteOrigin origin = PaletteOrigin::SourceImage;
    PaletteEntry* link = nullptr;
};

template <typename Entry>
struct WorkList {
    Entry* head = nullptr;
    Entry* tail = nullptr;  // always the sentinel once initialised
};

using ImageList = WorkList<ImageEntry>;
using PaletteList = WorkList<PaletteEntry>;

template <typename Entry>
void initialise(WorkList<Entry>& list) {
    list.head = list.tail = new Entry{};
}

template <typename Entry>
Entry* addAtHead(WorkList<Entry>& list, Entry content) {
    content.link = list.head;
    auto* e = new Entry(std::move(content));
    list.head = e;
    return e;
}

template <typename Entry>
Entry* addAtTail(WorkList<Entry>& list, Entry content) {
    auto* sentinel = new Entry{};
    Entry* filled = list.tail;
    content.link = sentinel;
    *filled = std::move(content);
    list.tail = sentinel;
    return filled;
}

template <typename Entry>
void remove(WorkList<Entry>& list, Entry* e) {
    if (e == list.tail) return;  // the sentinel is not an entry
    if (e == list.head) {
        list.head = e->link;
        delete e;
    } else if (e->link == list.tail) {
        delete list.tail;
        *e = Entry{};
        list.tail = e;
    } else {
        Entry* next = e->link;
        *e = std::move(*next);
        delete next;
    }
}

template <typename Entry>
void clear(WorkList<Entry>& list) {
    while (list.head != list.tail) {
        Entry* next = list.head->link;
        delete list.head;
        list.head = next;
    }
}

template <typename Entry>
void release(WorkList<Entry>& list) {
    clear(list);
    delete list.tail;
    list.head = list.tail = nullptr;
}

template <typename Entry>
Entry* entryAt(const WorkList<Entry>& list, int n) {
    Entry* e = list.head;
    for (int i = 0; i < n && e != list.tail; ++i) e = e->link;
    return e == list.tail ? nullptr : e;
}

// An image entry holding its own copy of the bitmap, its DepthCode derived from it.
inline ImageEntry makeImageEntry(const std::string& path, const Bitmap& bitmap) {
    ImageEntry e;
    e.bitmap = std::make_unique<Bitmap>(bitmap);
    e.path = path;
    e.depth = depthCode(bitmap.format());
    return e;
}

}  // namespace kararisu
