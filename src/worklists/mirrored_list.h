#pragma once
// A work list and the on-screen lists that show it, position for position.
// Every add and remove goes through here, so the entries, their lines and
// every registered control change in the same step. A control registered
// late (a viewer created after images were loaded) is filled with the lines
// there are.

#include <algorithm>
#include <string>
#include <vector>

#include "worklists/results.h"
#include "worklists/work_list.h"

namespace kararisu {

// A control that mirrors a list: told of each change as it happens.
template <typename Entry, typename Line>
class ListMirror {
  public:
    virtual ~ListMirror() = default;
    virtual void appended(const Entry& entry, const Line& line) = 0;
    virtual void removed(int position) = 0;
    virtual void cleared() = 0;
};

template <typename EntryType, typename LineType>
class MirroredList {
  public:
    using Entry = EntryType;
    using Line = LineType;
    using Mirror = ListMirror<Entry, Line>;

    MirroredList() = default;
    MirroredList(const MirroredList&) = delete;
    MirroredList& operator=(const MirroredList&) = delete;

    int size() const { return entries_.size(); }
    bool empty() const { return entries_.empty(); }
    const Entry& at(int n) const { return entries_.at(n); }
    const Line& line(int n) const { return lines_.at(static_cast<std::size_t>(n)); }
    const std::vector<Line>& lines() const { return lines_; }
    const WorkList<Entry>& entries() const { return entries_; }

    void attach(Mirror& mirror) {
        mirrors_.push_back(&mirror);
        mirror.cleared();
        entries_.forEach([&](int i, const Entry& e) { mirror.appended(e, line(i)); });
    }
    void detach(Mirror& mirror) {
        mirrors_.erase(std::remove(mirrors_.begin(), mirrors_.end(), &mirror), mirrors_.end());
    }

    const Entry& append(Entry entry, Line line) {
        const Entry& e = entries_.append(std::move(entry));
        lines_.push_back(std::move(line));
        for (Mirror* m : mirrors_) m->appended(e, lines_.back());
        return e;
    }
    void removeAt(int n) {
        if (n < 0 || n >= size()) return;
        entries_.removeAt(n);
        lines_.erase(lines_.begin() + n);
        for (Mirror* m : mirrors_) m->removed(n);
    }
    void clear() {
        entries_.clear();
        lines_.clear();
        for (Mirror* m : mirrors_) m->cleared();
    }

  private:
    WorkList<Entry> entries_;
    std::vector<Line> lines_;
    std::vector<Mirror*> mirrors_;
};

// The four lists of the main window. A source or target line is the file
// name the lists show; a result line is its row of the "after" list; a
// palette line is its display name.
using SourceList = MirroredList<ImageEntry, std::string>;
using ResultList = MirroredList<ImageEntry, ResultRow>;
using TargetList = MirroredList<ImageEntry, std::string>;
using PaletteList = MirroredList<PaletteEntry, std::string>;

struct WorkLists {
    SourceList sources;
    ResultList results;
    TargetList targets;
    PaletteList palettes;

    // Cleared in the order the main window closes them.
    void clear() {
        sources.clear();
        results.clear();
        targets.clear();
        palettes.clear();
    }
};

// The one way a finished result enters the desktop program's lists: its
// entry in ResultList with its row, so every control showing the results
// gets it at once. The rows are what the palette-name search scans.
class ResultListSink : public ResultSink {
  public:
    explicit ResultListSink(ResultList& results) : results_(results) {}
    void add(Result result) override {
        ResultRow row{fileNameOf(result.path), std::move(result.paletteName),
                      std::move(result.modeLabel)};
        ImageEntry entry = makeImageEntry(result.path, std::move(result.bitmap), result.format);
        entry.source = std::move(result.source);
        results_.append(std::move(entry), std::move(row));
    }
    const std::vector<ResultRow>& rows() const override { return results_.lines(); }

  private:
    ResultList& results_;
};

}  // namespace kararisu
