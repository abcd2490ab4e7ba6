#include "topics/ViewPoints.h"

#include "topics/TopicRegistry.h"

TViewPoint GetViewPoint(Integer id, Integer example)
{
  const TTopicRow* row = FindTopicRow(id);
  if (!row || row->Examples.empty())
    return {PointMake(0, 0, 10), PointMake(0, 0, 0)};
  if (example < 0 || size_t(example) >= row->Examples.size())
    example = 0;
  return row->Examples[size_t(example)].View;
}
