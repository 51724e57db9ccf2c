// The attributes of the old region and subset-data layouts, which several old versions share.
// Handles carry the numbers the old layouts give them; attributes go in handle order.
#pragma once

class cls_ClassMetadata;

// Region, version 203 or 204: name, internal, "_type" (203) or "_typeObsolete" (204), setData.
void rgnC_AddOldRegionAttributes(cls_ClassMetadata& md, int version);
// Subset data, version 203, 303 or 316 (facet ids and type from 303 on, "numItems" until 303).
void rgnC_AddOldSubsetAttributes(cls_ClassMetadata& md, int version);
