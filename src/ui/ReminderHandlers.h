#pragma once

struct HandlerContext;
struct Programme;

// Reminders as the grid and the schedule set them: by the channel of list
// entry `row` (its name and address) and the programme's start.
bool IsReminded(HandlerContext& context, int row, const Programme& programme);
// Sets the reminder, or clears it; true when it is set now. Kept in the
// settings file at once.
bool ToggleReminder(HandlerContext& context, int row, const Programme& programme);
