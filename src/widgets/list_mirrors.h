#pragma once
// The Qt controls that mirror a work list: each registers itself with the
// list when made and withdraws when it goes, and shows each entry's line as
// the list adds, removes and clears it.

#include <QComboBox>
#include <QListWidget>
#include <QString>
#include <functional>
#include <string>

#include "worklists/mirrored_list.h"

namespace kararisu {

// Texts of the lists are UTF-8 (file names on Linux are taken as UTF-8).
inline QString toQt(const std::string& text) {
    return QString::fromStdString(text);
}

// Registration with a list for the lifetime of the object.
template <typename List>
class Mirroring : public List::Mirror {
  public:
    explicit Mirroring(List& list) : list_(list) {}
    ~Mirroring() override { list_.detach(*this); }
    Mirroring(const Mirroring&) = delete;
    Mirroring& operator=(const Mirroring&) = delete;

  protected:
    // Called by the most derived constructor, once it can take lines.
    void start() { list_.attach(*this); }

  private:
    List& list_;
};

// The display name of a line: the text itself, or a result's file name.
inline QString lineText(const std::string& line) {
    return toQt(line);
}
inline QString lineText(const ResultRow& row) {
    return toQt(row.fileName);
}

// Adding and removing the items of the two kinds of item lists.
inline void addItem(QListWidget* box, const QString& text) {
    box->addItem(text);
}
inline void removeItem(QListWidget* box, int n) {
    delete box->takeItem(n);
}
inline void addItem(QComboBox* box, const QString& text) {
    box->addItem(text);
}
inline void removeItem(QComboBox* box, int n) {
    box->removeItem(n);
}

// A list box or drop-down list showing one item per entry. changed() runs
// after every change, for rules that follow the list (a viewer's arrows).
template <typename List, typename Box>
class ItemMirror final : public Mirroring<List> {
  public:
    using Entry = typename List::Entry;
    using Line = typename List::Line;
    ItemMirror(List& list, Box* box, std::function<void()> changed = {})
        : Mirroring<List>(list), box_(box), changed_(std::move(changed)) {
        this->start();
    }
    void appended(const Entry&, const Line& line) override {
        addItem(box_, lineText(line));
        done();
    }
    void removed(int n) override {
        if (n < box_->count()) removeItem(box_, n);
        done();
    }
    void cleared() override {
        box_->clear();
        done();
    }

  private:
    void done() {
        if (changed_) changed_();
    }
    Box* box_;
    std::function<void()> changed_;
};

template <typename List>
using ListBoxMirror = ItemMirror<List, QListWidget>;
template <typename List>
using ComboMirror = ItemMirror<List, QComboBox>;

}  // namespace kararisu
