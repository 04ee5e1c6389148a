#pragma once
// Nothing of the user's drawing is lost: the list's changes go into the
// recovery journal as they are made (files/recovery_journal.h), the next
// start offers to restore a journal its editor left, and opening another
// document over a drawing not saved asks first.
#include "app/editor.h"

namespace kumodo {

// At start-up, once the screen is drawn: each journal of an editor no
// longer running, newest first, is offered for restoring until one is
// restored. A declined one is kept as a document beside it; one that
// cannot be restored (another version's, unreadable) is kept aside under
// another name and the user told. Journals of running editors, and files
// that are no journal of this user's, are left alone.
void OfferRecovery(Editor& editor);

// Takes the list's changes into the journal; a journal that cannot be
// written is said on the status line.
void JournalChanges(Editor& editor);

// The list was just opened from, or saved as, the document at the document
// path: the journal goes, until the list differs from it again.
void ListIsDocument(Editor& editor);

// True when the drawing is saved, or the user agrees to lose it.
bool MayDropDrawing(Editor& editor);

}  // namespace kumodo
