#pragma once
// Names the rows of a parameterised test after their Name field, so a failure says which row failed.

#include <gtest/gtest.h>
#include <string>

template <class Row>
std::string RowName(const testing::TestParamInfo<Row>& row) {
    return row.param.Name;
}
