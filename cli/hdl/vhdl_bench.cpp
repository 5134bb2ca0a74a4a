// SPDX-License-Identifier: GPL-3.0-or-later
// A unit's testbench in VHDL-93: the vectors read with std.textio alone (its
// hexadecimal reads are VHDL-2008's), the result written to the simulator's
// output and a failure ending it with severity failure.
#include <string>

#include "printers.h"

namespace lumiro::coe {
namespace {

std::string Number(std::int64_t value)
{
    return std::to_string(value);
}

std::string Range(int low, int width)
{
    return width == 1 ? "(" + Number(low) + ")" : "(" + Number(low + width - 1) + " downto " + Number(low) + ")";
}

constexpr const char* kReadHex = R"(
    -- The next field of the line, hexadecimal digits, as value's bits.
    procedure read_hex(l : inout line; value : out std_logic_vector) is
        variable c : character;
        variable good : boolean;
        variable digit : natural;
        variable bits : std_logic_vector(value'length + 3 downto 0) := (others => '0');
    begin
        loop
            read(l, c, good);
            exit when not good or c /= ' ';
        end loop;
        while good and c /= ' ' loop
            case c is
                when '0' to '9' => digit := character'pos(c) - character'pos('0');
                when 'a' to 'f' => digit := character'pos(c) - character'pos('a') + 10;
                when 'A' to 'F' => digit := character'pos(c) - character'pos('A') + 10;
                when others => report "not a hexadecimal digit: " & c severity failure;
            end case;
            bits := bits(bits'high - 4 downto 0) & std_logic_vector(to_unsigned(digit, 4));
            read(l, c, good);
        end loop;
        value := bits(value'length - 1 downto 0);
    end procedure;

    procedure write_bits(l : inout line; value : std_logic_vector) is
        variable image : string(1 to 3);
    begin
        for k in value'range loop
            image := std_logic'image(value(k));
            write(l, image(2));
        end loop;
    end procedure;
)";

constexpr const char* kRun = R"(
    run : process
        file vectors_file : text open read_mode is vectors;
        variable l : line;
        variable message : line;
        variable inputs : std_logic_vector(IN_BITS - 1 downto 0);
        variable wanted : std_logic_vector(OUT_BITS - 1 downto 0);
        variable count : std_logic_vector(0 downto 0);
        variable care : std_logic_vector(OUT_BITS - 1 downto 0);
        variable clock : natural := 0;
        variable words : natural := 0;
        variable failures : natural := 0;
    begin
        while not endfile(vectors_file) loop
            readline(vectors_file, l);
            read_hex(l, inputs);
            read_hex(l, wanted);
            read_hex(l, count);
            stimulus <= inputs;
            wait for 5 ns;
            care := HANDSHAKES;
            if count(0) = '1' then
                words := words + 1;
                care := (others => '1');
            end if;
            if ((outputs xor wanted) and care) /= NONE then
                failures := failures + 1;
                if failures <= 10 then
                    write(message, string'("clock "));
                    write(message, clock);
                    write(message, string'(": outputs "));
                    write_bits(message, outputs);
                    write(message, string'(", expected "));
                    write_bits(message, wanted);
                    writeline(output, message);
                end if;
            end if;
            CLOCK_NAME <= '1';
            wait for 5 ns;
            CLOCK_NAME <= '0';
            clock := clock + 1;
        end loop;
        if clock /= CLOCKS then
            write(message, string'("FAIL: the vectors end after "));
            write(message, clock);
            write(message, string'(" of "));
            write(message, CLOCKS);
            write(message, string'(" clocks"));
            writeline(output, message);
            report "the vectors are not whole" severity failure;
        elsif failures /= 0 then
            write(message, string'("FAIL: "));
            write(message, failures);
            write(message, string'(" of "));
            write(message, words);
            write(message, string'(" outputs"));
            writeline(output, message);
            report "the unit's outputs differ from the vectors" severity failure;
        else
            write(message, string'("PASS: "));
            write(message, words);
            write(message, string'(" outputs"));
            writeline(output, message);
        end if;
        wait;
    end process;
)";

}  // namespace

void PrintVhdlBench(std::FILE* out, const BenchPorts& bench, const BenchText& text)
{
    const Circuit& c = bench.circuit;
    for (const std::string& line : text.header)
        Put(out, line.empty() ? "--\n" : "-- " + line + "\n");
    Put(out, "library ieee;\nuse ieee.std_logic_1164.all;\nuse ieee.numeric_std.all;\nuse std.textio.all;\n\n");
    Put(out, "entity " + text.name + " is\n    generic (vectors : string := \"" + text.vectors + "\");\nend entity " +
                 text.name + ";\n\narchitecture bench of " + text.name + " is\n");
    Put(out, "    constant CLOCKS : natural := " + Number(text.clocks) + ";\n");
    Put(out, "    constant IN_BITS : natural := " + Number(bench.inputBits) + ";\n");
    Put(out, "    constant OUT_BITS : natural := " + Number(bench.outputBits) + ";\n");
    Put(out, "    -- The handshakes' bits, compared on every clock; the words where they count.\n");
    Put(out, "    constant HANDSHAKES : std_logic_vector(OUT_BITS - 1 downto 0) :=\n        \"" + bench.Handshakes() +
                 "\";\n");
    Put(out, "    constant NONE : std_logic_vector(OUT_BITS - 1 downto 0) := (others => '0');\n");
    Put(out, "    signal " + c.ClockName() + " : std_logic := '0';\n");
    Put(out, "    signal stimulus : std_logic_vector(IN_BITS - 1 downto 0) := (others => '0');\n");
    std::string outputs;
    const std::vector<hardware::ModulePort> ports = hardware::ModuleOutputs(c);
    for (const hardware::ModulePort& port : ports) {
        Put(out, "    signal " + port.name + " : " +
                     (port.width == 1 ? std::string("std_logic")
                                      : "std_logic_vector(" + Number(port.width - 1) + " downto 0)") +
                     ";\n");
        outputs += (outputs.empty() ? "" : " & ") + port.name;
    }
    Put(out, "    signal outputs : std_logic_vector(OUT_BITS - 1 downto 0);\n");
    Put(out, kReadHex);
    Put(out, "begin\n    dut : entity work." + text.unit + "\n        port map (\n            " + c.ClockName() +
                 " => " + c.ClockName());
    const std::vector<Signal> inputs = c.Inputs();
    for (std::size_t k = 0; k < inputs.size(); ++k)
        Put(out, ",\n            " + c.At(inputs[k]).name + " => stimulus" +
                     Range(bench.InputLow(k), c.At(inputs[k]).type.width));
    for (const hardware::ModulePort& port : ports)
        Put(out, ",\n            " + port.name + " => " + port.name);
    Put(out, ");\n    outputs <= " + outputs + ";\n");
    std::string run = kRun;
    for (std::size_t at = run.find("CLOCK_NAME"); at != std::string::npos; at = run.find("CLOCK_NAME"))
        run.replace(at, 10, c.ClockName());
    Put(out, run);
    Put(out, "end architecture bench;\n");
}

}  // namespace lumiro::coe
