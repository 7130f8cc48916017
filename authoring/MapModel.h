#pragma once
// What the map shows of a scenario when no layout may run long: the whole map, or, when that
// runs out of time, the current situation's neighbourhood, cut smaller until it is laid out in
// time; and a line that says which.

#include "authoring/MapLayout.h"

#include <QString>
#include <chrono>

// How long a layout may run before it is given up.
struct MapDeadlines {
    // The whole map; then the current situation's neighbourhood is shown instead.
    std::chrono::milliseconds whole{3000};
    // A neighbourhood; then it is laid out again with half as many situations, down to
    // MapRequest::SmallestNeighbourhood, and below that the layout fails.
    std::chrono::milliseconds neighbourhood{2000};
};

// A layout and what it shows.
struct MapShown {
    MapLayout layout;
    // The whole map ran out of time, now or at an earlier layout: the scenario is small
    // enough to be shown whole (MapRequest::defaultScope), yet the request is for a
    // neighbourhood, as only a whole map out of time turns it.
    bool wholeTooSlow = false;
    // What the map shows, as plain text: the whole scenario, or which neighbourhood and how
    // much of it.
    QString info;
};

// Lays out what `request` asks within the deadlines, each layout in a child process
// (layoutMapWithin). A whole map out of time turns `request` to the neighbourhood of its
// current situation, for this layout and the next ones. A neighbourhood out of time is laid
// out again with half as many situations; the lowered `request.nodeLimit` stays, so that the
// next layout does not wait for the same time-outs. When even SmallestNeighbourhood
// situations run out of time, throws AppError(Other) with a Polish message; so does a layout
// that fails.
MapShown layoutMapInTime(const MapScenario& scenario, MapRequest& request,
                         const MapDeadlines& deadlines);
