#include "cell/register_cells.h"

#include "cell/container_cells.h"
#include "cell/enum_cells.h"
#include "cell/gates.h"
#include "cell/registry.h"
#include "cell/std_cells.h"
#include "cell/tags.h"

void RegisterModelCellClasses() {
    RegisterCellClass<Cell>();
    RegisterCellClass<HCell>();
    RegisterCellClass<BTag>();
    RegisterCellClass<Tag>();
    RegisterCellClass<ExTag>();
    RegisterCellClass<LegacyTag>();
    RegisterCellClass<StdCell>();
    RegisterCellClass<StdHCell>();

    // Gates, keys and structural actions.
    RegisterCellClass<GCell>();
    RegisterCellClass<VirtualGate>();
    RegisterCellClass<HddGate>();
    RegisterCellClass<ClipboardGate>();
    RegisterCellClass<DragDropGate>();
    RegisterCellClassNoFactory<GateKey>();
    RegisterCellClass<HddGateKey>();
    RegisterCellClass<ClipboardGateKey>();
    RegisterCellClass<DragDropGateKey>();
    RegisterCellClass<HCell_AddChild_Act>();
    RegisterCellClass<HCell_Replace_Act>();
    RegisterCellClass<ScriptCell>();
    RegisterCellClass<VirtualGate_Get_GateMode_Msg>();

    // Value families.
    RegisterCellClass<BoolCell>();
    RegisterCellClass<IntCell>();
    RegisterCellClass<IntParamCell>();
    RegisterCellClass<FloatCell>();
    RegisterCellClass<FltParamCell>();
    RegisterCellClass<DblCell>();
    RegisterCellClass<DblParamCell>();
    RegisterCellClass<DistCell>();
    RegisterCellClass<AngleCell>();
    RegisterCellClass<U64Cell>();
    RegisterCellClass<IdxCell>();
    RegisterCellClass<StringCell>();
    RegisterCellClass<PathCell>();
    RegisterCellClass<TagPathCell>();
    RegisterCellClass<Vec2DCell>();
    RegisterCellClass<Vec2FCell>();
    RegisterCellClass<Vec2ICell>();
    RegisterCellClass<Vec3DCell>();
    RegisterCellClass<Vec4DCell>();
    RegisterCellClass<CSysDCell>();
    RegisterCellClass<DADCell>();
    RegisterCellClass<DAV3DCell>();
    RegisterCellClass<ContVec2DCell>();
    RegisterCellClass<ContVec2FCell>();
    RegisterCellClass<ContVec3DCell>();
    RegisterCellClass<ContVec4DCell>();
    RegisterCellClassNoFactory<ContCell>();
    RegisterCellClass<StringContCell>();
    RegisterCellClass<StringCellContCell>();
    RegisterCellClass<IntBox>();
    RegisterCellClass<IntBox2>();
    RegisterCellClass<FltBox>();
    RegisterCellClass<FltBox2>();
    RegisterCellClass<DblBox>();
    RegisterCellClass<DblBox2>();

    // Enumerations and flags.
    RegisterCellClassNoFactory<EnumICell>();
    RegisterCellClassNoFactory<FlagsCell>();
    RegisterCellClass<ec_UVStretchMode>();
    RegisterCellClass<ec_SingleAll>();
    RegisterCellClass<ec_SegFull>();
    RegisterCellClass<ec_ScaleType>();
    RegisterCellClass<ec_LRC>();
    RegisterCellClass<ec_HV>();
    RegisterCellClass<ec_Edg4>();
    RegisterCellClass<ec_DUC>();
    RegisterCellClass<ec_Corn4>();
    RegisterCellClass<ec_2D3D>();
    RegisterCellClass<ec_DistUnits>();
    RegisterCellClass<ec_Cage9>();

    // Domain cells.
    RegisterCellClass<UnitsData>();
    RegisterCellClass<Vec3DIoCell>();
    RegisterCellClass<UVMapsCell>();
    RegisterCellClass<PolysCell>();
    RegisterCellClass<RayDCell>();
}
