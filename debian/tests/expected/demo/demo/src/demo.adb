-- A small demonstration program laid out by adaskel.
-- Demo is Copyright (C) 2026 Jane Doe ; 
--
--   This program is free software; you can redistribute it and/or modify
--   it under the terms of the GNU General Public License as published by
--   the Free Software Foundation; either version 2 of the License, or
--   (at your option) any later version.
--
--   This program is distributed in the hope that it will be useful,
--   but WITHOUT ANY WARRANTY; without even the implied warranty of
--   MERCHANTABILITY or FITNESS FOR A PARTICULAR PURPOSE.  See the
--   GNU General Public License for more details.
--
--   You should have received a copy of the GNU General Public License along
--   with this program; if not, write to the Free Software Foundation, Inc.,
--   51 Franklin Street, Fifth Floor, Boston, MA 02110-1301 USA.
--
-- Date := "2026-12-06 20:08:59"
-- Version := "1.0.0"
with Tools ; 
with Tools.Io ; 
procedure Demo is

begin

   null;
end Demo ; 
