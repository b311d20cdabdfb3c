// The engine's program-wide state as one whole: the computed tables that start-up fills once,
// and the one reset that returns every mutable record to its start.
//
// The records by role and lifetime: the game (position, history, record of move pairs), the
// settings, the clock, the console and the reports, the search's
// signals, state and limits, the transposition tables, the book record and the random generator,
// and the g-pawn watch of the move maker. A new game (NewGame) resets those whose life is one
// game; ResetEngineState resets the others first and then starts a new game. Start-up runs it once
// after the tables are built, and every test that touches the engine's state starts with it.
#pragma once

// Builds every computed table (board geometry, keys, evaluation masks) and sizes the two
// transposition tables with hashSize x 65536 buckets each.
void InitEngineTables(int hashSize);
// Every mutable record back to its start-up value, then a new game from the initial position. The
// loaded books, the computed tables, the table size, the front end's hooks and events and the
// configuration's directory are kept; the configuration file's switches are read again by start-up.
// The front ends' own records (the xboard loop's, UCI's) are theirs to reset.
void ResetEngineState();
