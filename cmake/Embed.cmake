# veldo_embed(<target> <symbol> <file>): links the file's bytes into the
# target as <symbol>_begin .. <symbol>_end, through an assembler .incbin.
function(veldo_embed target symbol file)
  set(asm "${CMAKE_CURRENT_BINARY_DIR}/embed_${symbol}.S")
  file(WRITE "${asm}.in"
"    .section .rodata
    .balign 16
    .globl ${symbol}_begin
${symbol}_begin:
    .incbin \"${file}\"
    .globl ${symbol}_end
${symbol}_end:
    .byte 0
#if defined(__ELF__)
    .section .note.GNU-stack,\"\",%progbits
#endif
")
  configure_file("${asm}.in" "${asm}" COPYONLY)
  set_source_files_properties("${asm}" PROPERTIES OBJECT_DEPENDS "${file}")
  target_sources(${target} PRIVATE "${asm}")
endfunction()
