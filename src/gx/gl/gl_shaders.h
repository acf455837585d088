// The GLSL 330 sources of the drawing layer's five shader stages.
#pragma once

namespace gl_shaders {

inline constexpr const char* kLitVertex = R"(#version 330 core
layout(location = 0) in vec3 a_position;
layout(location = 1) in vec3 a_normal;
layout(location = 2) in vec4 a_color;
uniform mat4 world;
uniform mat4 view_proj;
uniform vec3 ambient_color;
uniform vec3 directional_light_vec;
out vec4 v_color;
void main() {
    vec4 world_position = world * vec4(a_position, 1.0);
    gl_Position = view_proj * world_position;
    vec3 world_normal = (world * vec4(a_normal, 0.0)).xyz;
    float l = clamp(dot(normalize(world_normal), directional_light_vec), 0.0, 1.0);
    v_color = vec4(a_color.rgb * (ambient_color + vec3(1.0) * l), a_color.a);
}
)";

inline constexpr const char* kUnlitVertex = R"(#version 330 core
layout(location = 0) in vec3 a_position;
layout(location = 2) in vec4 a_color;
uniform mat4 world;
uniform mat4 view_proj;
out vec4 v_color;
void main() {
    gl_Position = view_proj * world * vec4(a_position, 1.0);
    v_color = a_color;
}
)";

inline constexpr const char* k2DVertex = R"(#version 330 core
layout(location = 0) in vec3 a_position;
layout(location = 2) in vec4 a_color;
layout(location = 3) in vec2 a_uv;
uniform vec4 transform_2d;
out vec4 v_color;
out vec2 v_uv;
void main() {
    gl_Position = vec4(a_position.xy * transform_2d.xy + transform_2d.zw, a_position.z, 1.0);
    v_color = a_color;
    v_uv = a_uv;
}
)";

inline constexpr const char* kColorFragment = R"(#version 330 core
in vec4 v_color;
layout(location = 0) out vec4 out_color;
void main() {
    out_color = v_color;
}
)";

inline constexpr const char* kTexturedFragment = R"(#version 330 core
in vec4 v_color;
in vec2 v_uv;
uniform sampler2D tex0_sam;
layout(location = 0) out vec4 out_color;
void main() {
    out_color = texture(tex0_sam, v_uv) * v_color;
}
)";

}  // namespace gl_shaders
