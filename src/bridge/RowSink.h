#pragma once

#include <cstddef>

#include "RowCells.h"

// Receives the rows of a file in order, each with its index from 0.
class RowSink {
  public:
    virtual ~RowSink() = default;
    virtual void Take(size_t index, const RowCells& row) = 0;
};
