#pragma once
// The memo list as a screen reader walks it. Qt's item views tell only
// their items as children, yet their own parts (the viewport with a title
// being renamed in it, the scroll bars, the table's header) name the view
// as their parent: a screen reader asking where such a part stands got no
// answer and Qt a warning. Here the list's holder, nameless, holds the views
// and their parts alike, so every part is found where it says it is.
namespace voicememo {

// Once per program; safe to call again.
void InstallListAccessible();

}  // namespace voicememo
