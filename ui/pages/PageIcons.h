#pragma once
// The pictures of one page: the large image list (the preset icons, the last also overlay 1),
// the 16 x 18 image list of the settings tree and the owner-drawn lists with its index per
// icon id, and the single icons the page and its tree draw. Every handle here dies with the
// page.
#include <map>

#include "platform/Controls.h"
#include "platform/WinTypes.h"
#include "ui/entry/UiOwners.h"

struct PageRecord;

/// The two rows of icons that settings values index.
enum class PageIconRow {
    Nine,  // one page, then four pages in each order on a square and a landscape sheet
    Five,  // two down; six pages down and across from the right, then down and across from the left
};

struct PageImages {
    HINSTANCE library = nullptr;        // where the icons come from (not owned)
    ImageListHandle large;
    ImageListHandle tree;
    std::map<int, int> treeIndex;       // icon id -> index in `tree` (-1: not loadable)
    std::map<int, HICON> sharedIcons;   // LoadIconW icons (never destroyed), IDI_QUESTION under its id
    std::map<int, IconHandle> ownIcons; // the 16 x 16 icons and the 90 x 30 icon
};

/// Loads everything a page draws from the library's module; NULL only when memory is short.
/// Missing icons leave empty handles. Icons the tree asks for later come from the same module.
[[nodiscard]] PageImages* CreatePageImages(HINSTANCE library);
void DestroyPageImages(PageImages* images);

HIMAGELIST PageLargeImages(const PageRecord* page);
HIMAGELIST PageTreeImages(const PageRecord* page);
/// A single icon of the page by its id (NULL when missing or not one of the page's icons).
HICON PageIcon(const PageRecord* page, int id);
/// An icon of a row by a settings value: the index is clamped to the row.
HICON PageRowIcon(const PageRecord* page, PageIconRow row, int index);
